#pragma once

namespace stela::cli {

// A stop asked by any signal whose default would end the program (Ctrl-C or
// Ctrl-\, a closed remote shell, kill, a timer, a CPU limit; see
// os/TerminatingSignals.h; on Windows Ctrl+C, Ctrl+Break and a closed console
// window) is taken at the workflow's next progress step, as a closing window
// is: a read stops there, a write at the end of the row it is writing. The
// board search has no such step; a second signal of the same kind ends the
// program at once.
void catchStopSignals();

// The signal that asked the program to stop, 0 while none has.
int stopSignal();

}  // namespace stela::cli
