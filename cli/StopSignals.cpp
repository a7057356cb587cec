#include "cli/StopSignals.h"

#include <csignal>
#include <initializer_list>

namespace stela::cli {
namespace {

volatile std::sig_atomic_t received = 0;

// SIGPIPE alone stays caught: output that can no longer be written (a reader
// such as `head` gone) stops the run at the same points, and its EPIPE is
// otherwise ignored, so the row in progress is finished.
void askToStop(int signal) {
    if (received == 0) {
        received = signal;  // the first says why; a later SIGPIPE is the stop's echo
    }
}

}  // namespace

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
    action.sa_flags = SA_RESETHAND;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM}) {
        sigaction(signal, &action, nullptr);
    }
}

int stopSignal() {
    return static_cast<int>(received);
}

}  // namespace stela::cli
