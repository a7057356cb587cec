#pragma once

#include "sim/SignModel.h"
#include "sim/tool/PylonDisplay.h"

namespace stela {

// Serves `sign` on the master side of a pseudo-terminal in real time until a
// signal arrives on `signalFd` (a signalfd for the signals that would end the
// program, and SIGWINCH, which only redraws). Waits in ppoll() until the next byte or the
// next reply byte is due, so an idle sign costs no CPU. Reply bytes are written
// at their own instants, since a pseudo-terminal has no line speed of its own.
// Returns the process exit status.
int serveSign(SignModel& sign, int masterFd, int signalFd, PylonDisplay& display);

}  // namespace stela
