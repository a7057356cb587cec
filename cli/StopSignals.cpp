#include "cli/StopSignals.h"

#include "os/TerminatingSignals.h"

namespace stela::cli {

// SIGPIPE alone stays caught: output that can no longer be written (a reader
// such as `head` gone) stops the run at the same points, and its EPIPE is
// otherwise ignored, so the row in progress is finished. The first signal says
// why; a later SIGPIPE is the stop's echo.
void catchStopSignals() {
    catchTerminatingSignals(RepeatedSignal::EndsAtOnce, nullptr);
}

int stopSignal() {
    return firstTerminatingSignal();
}

}  // namespace stela::cli
