#pragma once

namespace stela::test {

// Makes a pseudo-terminal count as a UART's driver does, so that the event
// monitor's modem-line and line-error paths run against it. While an object
// lives, TIOCGICOUNT on any descriptor of the tty returns the counters kept
// here, and TIOCMIWAIT sleeps until a line it waits for changes; the sleep is
// a poll(), which a signal interrupts as it interrupts the driver's wait. (The
// serial_tests pass every ioctl through ModemLineRequests.cpp.) One at a time.
class EmulatedLineCounters {
public:
    explicit EmulatedLineCounters(int ttyFd);
    ~EmulatedLineCounters();
    EmulatedLineCounters(const EmulatedLineCounters&) = delete;
    EmulatedLineCounters& operator=(const EmulatedLineCounters&) = delete;

    // A change of TIOCM_CTS, TIOCM_DSR, TIOCM_RNG or TIOCM_CD.
    void changeLine(int line);
    void countFramingError();
    void countBreak();
    // TIOCMIWAIT calls begun so far.
    int waits() const;
};

// Serves TIOCGICOUNT and TIOCMIWAIT for the emulated tty: true, with `result`
// (and errno) set, when `fd` is one of its descriptors.
bool emulatedLineRequest(int fd, unsigned long request, void* arg, int& result);

}  // namespace stela::test
