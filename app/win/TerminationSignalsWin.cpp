#include <windows.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <csignal>

#include "app/TerminationSignals.h"

namespace stela {
namespace {

// Windows has no termination signals. A console the window was started from
// sends Ctrl+C, Ctrl+Break and its own closing (numbered as the C runtime
// numbers them: SIGINT, SIGBREAK, SIGTERM); a logoff or shutdown reaches the
// window itself as a close, which Qt turns into the close box's event.
std::atomic<int> caught{0};
TerminationSignals* current = nullptr;

int signalOf(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            return SIGINT;
        case CTRL_BREAK_EVENT:
            return SIGBREAK;
        default:
            return SIGTERM;
    }
}

// Runs on a thread of its own: the window learns of it on the user-interface
// thread. A second event ends the program (FALSE: the default handler); after
// a console's close Windows ends the process once this returns, so it waits
// there while the window finishes its row.
BOOL WINAPI onConsoleEvent(DWORD event) {
    int none = 0;
    const int signal = signalOf(event);
    if (!caught.compare_exchange_strong(none, signal)) {
        return FALSE;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            if (current != nullptr) {
                current->deliver();
            }
        },
        Qt::QueuedConnection);
    if (signal == SIGTERM) {
        ::Sleep(INFINITE);
    }
    return TRUE;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    caught = 0;
    current = this;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

TerminationSignals::~TerminationSignals() {
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    current = nullptr;
}

int TerminationSignals::received() {
    return caught.load();
}

}  // namespace stela
