#pragma once

namespace stela {

// Windows' counterpart of the termination signals: the console's Ctrl+C,
// Ctrl+Break and its closing (with a logoff or shutdown), numbered as the C
// runtime numbers the signals: SIGINT, SIGBREAK, SIGTERM. The first one is
// kept and handed to `onStop` on the console's own thread (may be null); a
// second one ends the program at once. Windows ends the process as soon as
// the handler returns from a close, so the handler waits there instead (up to
// the few seconds Windows grants) while the program finishes its row and exits.
void catchConsoleStops(void (*onStop)(int signal));

// Stops catching them (onStop is no longer called).
void releaseConsoleStops();

// The first one caught; 0 while none has come.
int consoleStopSignal();

// Forgets it, for a program that catches them anew.
void forgetConsoleStop();

}  // namespace stela
