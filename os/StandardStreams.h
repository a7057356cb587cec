#pragma once

namespace stela {

// Descriptors 0, 1 and 2 are where the program reads and prints. One a caller
// left closed (`>&-`) would be given to the next file opened: a serial port
// opened then would get the program's output on the line. Opens /dev/null on
// each that is closed; called first thing in main, before anything is opened.
// On Windows a port or socket is a handle outside the C runtime's descriptors:
// nothing to do there.
void openStandardStreams();

// `fd` itself, or, when it is 0, 1 or 2, a close-on-exec duplicate above them
// and the original closed (-1 with errno when none is left). What the device
// and socket openers hand out, so that no print reaches a line even if a
// standard stream was closed after the start.
int aboveStandardStreams(int fd);

}  // namespace stela
