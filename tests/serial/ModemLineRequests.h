#pragma once

namespace stela::test {

// What the program last asked of a modem line (TIOCM_DTR or TIOCM_RTS): the
// descriptor it asked on (-1: not asked since forgetModemLineRequests()) and
// whether the line was to be on. A pseudo-terminal has no modem lines to read
// back, so serial_tests link with -Wl,--wrap=ioctl and every ioctl call passes
// through a recorder of TIOCMBIS, TIOCMBIC and TIOCMSET on its way to the kernel.
struct ModemLineRequest {
    int fd = -1;
    bool on = false;
};

ModemLineRequest lastModemLineRequest(int line);
void forgetModemLineRequests();

}  // namespace stela::test
