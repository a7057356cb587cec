#include <QCoreApplication>
#include <QMetaObject>

#include "app/TerminationSignals.h"
#include "os/win/ConsoleStops.h"

namespace stela {
namespace {

// Windows has no termination signals: a console the window was started from
// sends its stops (os/win/ConsoleStops.h), and a logoff or shutdown reaches the
// window itself as a close, which Qt turns into the close box's event.
TerminationSignals* current = nullptr;

// On the console's thread: the window learns of it on the user-interface thread.
void handOver(int) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            if (current != nullptr) {
                current->deliver();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    forgetConsoleStop();
    current = this;
    catchConsoleStops(handOver);
}

TerminationSignals::~TerminationSignals() {
    releaseConsoleStops();
    current = nullptr;
}

int TerminationSignals::received() {
    return consoleStopSignal();
}

}  // namespace stela
