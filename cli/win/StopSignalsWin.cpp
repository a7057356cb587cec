#include "cli/StopSignals.h"
#include "os/win/ConsoleStops.h"

namespace stela::cli {

// The workflow asks at its steps; nothing to hand over.
void catchStopSignals() {
    catchConsoleStops(nullptr);
}

int stopSignal() {
    return consoleStopSignal();
}

}  // namespace stela::cli
