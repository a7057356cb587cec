#include <windows.h>

#include <atomic>
#include <csignal>

#include "cli/StopSignals.h"

namespace stela::cli {
namespace {

// Told as the C runtime numbers them: Ctrl+C is SIGINT, Ctrl+Break SIGBREAK,
// a closed console, a logoff or a shutdown SIGTERM.
std::atomic<int> received{0};

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

// Runs on a thread of its own. A second Ctrl+C or Ctrl+Break ends the program
// (FALSE: the default handler). Windows ends the process as soon as the handler
// returns from a close, logoff or shutdown, so this one waits there instead, up
// to the few seconds Windows grants, while main finishes the row and exits.
BOOL WINAPI askToStop(DWORD event) {
    int expected = 0;
    const int signal = signalOf(event);
    if (!received.compare_exchange_strong(expected, signal) && signal != SIGTERM) {
        return FALSE;
    }
    if (signal == SIGTERM) {
        ::Sleep(INFINITE);
    }
    return TRUE;
}

}  // namespace

void catchStopSignals() {
    ::SetConsoleCtrlHandler(askToStop, TRUE);
}

int stopSignal() {
    return received.load();
}

}  // namespace stela::cli
