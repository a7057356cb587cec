#include "os/win/ConsoleStops.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace stela {
namespace {

std::atomic<int> caught{0};
std::atomic<void (*)(int)> handOver{nullptr};

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

BOOL WINAPI onConsoleEvent(DWORD event) {
    int none = 0;
    const int signal = signalOf(event);
    if (!caught.compare_exchange_strong(none, signal)) {
        return FALSE;  // the default handler: the program ends
    }
    if (void (*onStop)(int) = handOver.load()) {
        onStop(signal);
    }
    if (signal == SIGTERM) {
        ::Sleep(INFINITE);
    }
    return TRUE;
}

}  // namespace

void catchConsoleStops(void (*onStop)(int signal)) {
    handOver = onStop;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void releaseConsoleStops() {
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    handOver = nullptr;
}

int consoleStopSignal() {
    return caught.load();
}

void forgetConsoleStop() {
    caught = 0;
}

}  // namespace stela
