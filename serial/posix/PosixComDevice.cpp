// This unit talks to the tty driver through the kernel's termios2 structures
// (TCGETS2/TCSETS2, BOTHER). <asm/termbits.h> clashes with glibc's <termios.h>,
// so nothing here includes the latter and no other unit includes the former.
#include "posix/PosixComDevice.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "os/FileDescriptor.h"
#include "os/StandardStreams.h"
#include "posix/PosixEventWatch.h"
#include "posix/PosixIoctl.h"
#include "serial/ComDeviceFactory.h"
#include "posix/DeviceOwnersPosix.h"
#include "serial/EventMask.h"
#include "serial/SpeedTaken.h"

namespace stela {
namespace {

// Unix98 pseudo-terminal slaves (/dev/pts/N) have the majors 136 to 143.
bool isPseudoTerminal(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
           major(st.st_rdev) <= 143;
}

std::int64_t nowMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void sleepMicros(std::int64_t micros) {
    if (micros > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
    }
}

void makeRaw(termios2& t) {
    t.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL |
                   IUCLC | IXON | IXANY | IXOFF | IMAXBEL | IUTF8);
    t.c_iflag |= IGNBRK;  // a break is counted, not read as a 0x00 byte
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOKE | IEXTEN);
    t.c_cflag |= CLOCAL | CREAD;
    // VMIN 1 makes an empty non-blocking read fail with EAGAIN rather than return
    // 0 bytes. It belongs to the tty, so another program may change it; read()
    // does not rely on it.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

unsigned speedCode(int baud) {
    static const struct {
        int baud;
        unsigned code;
    } codes[] = {{50, B50},           {75, B75},           {110, B110},         {134, B134},
                 {150, B150},         {200, B200},         {300, B300},         {600, B600},
                 {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
                 {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
                 {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
                 {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
                 {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
                 {3500000, B3500000}, {4000000, B4000000}};
    for (const auto& c : codes) {
        if (c.baud == baud) {
            return c.code;
        }
    }
    return BOTHER;
}

bool supported(const LineParameters& line) {
    const bool xonXoff = line.xonXoffIn || line.xonXoffOut;
    return line.baudRate > 0 && line.dataBits >= 5 && line.dataBits <= 8 &&
           line.parity <= prSpace && line.stopBits != sbOne5StopBits &&
           line.stopBits <= sbTwoStopBits && !(line.errorReplace && line.errorChar != 0) &&
           line.outCtsFlow == (line.rtsControl == rtsHandshake) && !line.outDsrFlow &&
           !line.dsrSensitivity && line.dtrControl != dtrHandshake &&
           line.dtrControl <= dtrEnable && line.rtsControl != rtsToggle &&
           line.rtsControl <= rtsHandshake && !(xonXoff && line.xonChar == line.xoffChar);
}

void setLine(termios2& t, const LineParameters& line) {
    makeRaw(t);
    static const unsigned sizes[] = {CS5, CS6, CS7, CS8};
    static const unsigned parities[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                        PARENB | CMSPAR};
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= sizes[line.dataBits - 5] | parities[line.parity];
    if (line.stopBits == sbTwoStopBits) {
        t.c_cflag |= CSTOPB;
    }
    if (line.outCtsFlow) {
        t.c_cflag |= CRTSCTS;
    }
    // Checking with replacement: Linux reads a byte with a parity or framing error
    // as 0x00. Checking alone lets the byte through and only counts the error;
    // without parity there is nothing to check, and framing errors stay bytes too.
    if (line.parity != prNone && line.parityCheck && line.errorReplace) {
        t.c_iflag |= INPCK;
    }
    if (line.xonXoffOut) {
        t.c_iflag |= IXON;
    }
    if (line.xonXoffIn) {
        t.c_iflag |= IXOFF;
    }
    t.c_cc[VSTART] = static_cast<cc_t>(line.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(line.xoffChar);

    // The input speed field stays 0: input runs at the output speed.
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= speedCode(line.baudRate);
    t.c_ispeed = t.c_ospeed = static_cast<speed_t>(line.baudRate);
}

// Sets the tty's exclusive flag unless another holder already has; `ours` tells
// whether closing should clear it. A kernel that cannot tell (before 3.8) is taken
// to have it clear.
int setExclusive(int fd, bool& ours) {
    int held = 0;
    ours = false;
    if (control(fd, TIOCGEXCL, &held) == 0 && held != 0) {
        return 0;
    }
    const int error = control(fd, TIOCEXCL, 0);
    ours = error == 0;
    return error;
}

// Whether the line hung up: an unplugged adapter, a pseudo-terminal whose
// master closed.
bool hungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

// After a read of 0 bytes: EIO when the line hung up, 0 when it is only idle
// under VMIN 0.
int hangUpState(int fd) {
    if (hungUp(fd)) {
        return EIO;
    }
    int queued = 0;
    return control(fd, FIONREAD, &queued);
}

int setModemLine(int fd, int line, bool on) {
    const int error = control(fd, on ? TIOCMBIS : TIOCMBIC, &line);
    return unsupported(error) ? 0 : error;
}

}  // namespace

PosixComDevice::~PosixComDevice() {
    close();
}

PortFailure PosixComDevice::open(const PortAddress& address) {
    if (fd_.valid()) {
        return systemFailure(EBUSY);
    }
    const std::string& path = address.device();
    if (path.empty()) {
        return systemFailure(ENOENT);
    }
    FileDescriptor owner(
        aboveStandardStreams(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)));
    const int fd = owner.get();
    if (fd < 0) {
        return systemFailure(errno);
    }
    // Not a tty gives ENOTTY; a /dev/ttyS node with no UART behind it gives EIO.
    termios2 t{};
    int error = control(fd, TCGETS2, &t);
    // The lock keeps out other programs, root included, and goes with the
    // descriptor, so a crash releases it.
    if (error == 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? EBUSY : errno;
    }
    // minicom, cu and their kin take no flock: they look for a lock file.
    if (error == 0) {
        error = lock_.acquire(path);
    }
    // Nor do ser2net and many scripts take either: a program that merely has the
    // line open would take the sign's replies from us. Asked only of a tty that
    // is there and free of locks, as /proc takes longest to read.
    if (error == 0 && heldOpen(path)) {
        error = EBUSY;
    }
    // TIOCEXCL also keeps out opens of the node by anyone but root. It belongs to
    // the tty, not to the descriptor: it outlives a crash while another process
    // holds the line, such as the master of a pseudo-terminal. So pseudo-terminals
    // get none (the lock is enough), and a device's is cleared only by whoever set it.
    const bool pseudoTerminal = error == 0 && isPseudoTerminal(fd);
    bool exclusive = false;
    if (error == 0 && !pseudoTerminal) {
        error = setExclusive(fd, exclusive);
    }
    if (error == 0) {
        makeRaw(t);
        error = control(fd, TCSETS2, &t);
    }
    if (error != 0) {
        if (exclusive) {
            control(fd, TIOCNXCL, 0);
        }
        owner.reset();
        lock_.release();
        return systemFailure(error);
    }
    // USB adapters hold received bytes back up to 16 ms unless told otherwise.
    serial_struct serial{};
    if (control(fd, TIOCGSERIAL, &serial) == 0 && !(serial.flags & ASYNC_LOW_LATENCY)) {
        serial.flags |= ASYNC_LOW_LATENCY;
        control(fd, TIOCSSERIAL, &serial);
    }
    fd_ = std::move(owner);
    pseudoTerminal_ = pseudoTerminal;
    exclusive_ = exclusive;
    baudRate_ = t.c_ospeed > 0 ? static_cast<int>(t.c_ospeed) : 9600;
    bitsPerByte_ = 10;
    parityCheck_ = false;
    TComErrors ignored;
    lineErrors(ignored);  // counts from here on
    return {};
}

void PosixComDevice::close() {
    hungUp_ = false;
    if (!fd_.valid()) {
        return;
    }
    // Closing a tty waits (up to 30 s) for unsent output: a stalled line must not
    // hold the program. A pseudo-terminal holds nothing unsent (see purge).
    if (!pseudoTerminal_) {
        control(fd_.get(), TCFLSH, TCOFLUSH);
    }
    if (exclusive_) {
        control(fd_.get(), TIOCNXCL, 0);
    }
    fd_.reset();
    lock_.release();
}

PortFailure PosixComDevice::failed(int error) {
    if (error != 0 && fd_.valid() && hungUp(fd_.get())) {
        release();
    }
    return systemFailure(error);
}

// The descriptor of a line that hung up goes at once: while anyone holds the
// device node, a USB adapter plugged in again cannot get its name back and
// comes back as the next one (ttyUSB1 for ttyUSB0).
void PosixComDevice::release() {
    close();
    hungUp_ = true;
}

PortFailure PosixComDevice::setQueueSizes(int inputSize, int outputSize) {
    if (int error = usable()) {
        return systemFailure(error);
    }
    // The tty layer sizes its own buffers; the request is advisory.
    return systemFailure(inputSize < 0 || outputSize < 0 ? EINVAL : 0);
}

PortFailure PosixComDevice::setLineParameters(const LineParameters& line) {
    if (int error = usable()) {
        return systemFailure(error);
    }
    if (!supported(line)) {
        return systemFailure(EINVAL);
    }
    termios2 previous{};
    if (int error = control(fd_.get(), TCGETS2, &previous)) {
        return failed(error);
    }
    termios2 t = previous;
    setLine(t, line);
    if (int error = control(fd_.get(), TCSETS2, &t)) {
        return failed(error);
    }
    termios2 actual{};
    if (int error = control(fd_.get(), TCGETS2, &actual)) {
        return failed(error);
    }
    // A driver that cannot frame bytes as asked quietly keeps what it had:
    // ftdi_sio keeps its data bits when asked for 6. A pseudo-terminal has no framing
    // (it keeps CS8 and clears PARENB whatever it is given).
    constexpr unsigned kFraming = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    if (!speedTaken(actual.c_ospeed, line.baudRate) ||
        (!pseudoTerminal_ && (actual.c_cflag & kFraming) != (t.c_cflag & kFraming))) {
        control(fd_.get(), TCSETS2, &previous);
        return systemFailure(EINVAL);
    }
    int error = setModemLine(fd_.get(), TIOCM_DTR, line.dtrControl == dtrEnable);
    if (error == 0 && line.rtsControl != rtsHandshake) {
        error = setModemLine(fd_.get(), TIOCM_RTS, line.rtsControl == rtsEnable);
    }
    baudRate_ = line.baudRate;
    bitsPerByte_ = 1 + line.dataBits + (line.parity != prNone ? 1 : 0) +
                   (line.stopBits == sbTwoStopBits ? 2 : 1);
    parityCheck_ = line.parityCheck;
    return failed(error);
}

PortFailure PosixComDevice::setTimeouts(const TimeoutValues& timeouts) {
    if (int error = usable()) {
        return systemFailure(error);
    }
    timeouts_ = timeouts;
    return {};
}

PortFailure PosixComDevice::purge(bool input, bool output) {
    if (int error = usable()) {
        return systemFailure(error);
    }
    // A pseudo-terminal has no transmit queue: what was written already sits in
    // the far end's input, and an output flush would take it back from there.
    output = output && !pseudoTerminal_;
    if (!input && !output) {
        return {};
    }
    return failed(control(fd_.get(), TCFLSH,
                          input && output ? TCIOFLUSH
                          : input         ? TCIFLUSH
                                          : TCOFLUSH));
}

PortFailure PosixComDevice::abortTransfers() {
    // Reads and writes are complete when they return: nothing is ever in flight.
    return isOpen() ? PortFailure() : systemFailure(EBADF);
}

PortFailure PosixComDevice::read(char* buffer, int capacity, int& received) {
    received = 0;
    if (int error = usable()) {
        return systemFailure(error);
    }
    while (capacity > 0) {
        const ssize_t n = ::read(fd_.get(), buffer, static_cast<size_t>(capacity));
        if (n > 0) {
            received = static_cast<int>(n);
            return {};
        }
        if (n == 0) {
            return failed(hangUpState(fd_.get()));
        }
        if (errno == EAGAIN) {
            return {};
        }
        if (errno != EINTR) {
            return failed(errno);
        }
    }
    return {};
}

std::int64_t PosixComDevice::wireMicros(std::int64_t bytes) const {
    return bytes * bitsPerByte_ * 1000000 / baudRate_;
}

std::int64_t PosixComDevice::writeBoundMicros(int size) const {
    // Capped (at some 35 years) so that the arithmetic below cannot overflow.
    const std::int64_t ms = std::min<std::int64_t>(
        std::int64_t(timeouts_.writeTotalMultiplier) * size + timeouts_.writeTotalConstant,
        std::int64_t(1) << 40);
    // Without a write timeout the bytes still get a bound: their wire time and a second.
    return ms > 0 ? ms * 1000 : wireMicros(size) + 1000000;
}

PortFailure PosixComDevice::write(const char* data, int size, int& sent) {
    sent = 0;
    if (int error = usable()) {
        return systemFailure(error);
    }
    if (size <= 0) {
        return {};
    }
    const std::int64_t deadline = nowMicros() + writeBoundMicros(size);
    int accepted = 0;
    while (accepted < size) {
        const ssize_t n = ::write(fd_.get(), data + accepted, static_cast<size_t>(size - accepted));
        if (n > 0) {
            accepted += static_cast<int>(n);
            continue;
        }
        if (n == 0) {
            return failed(EIO);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            return failed(errno);
        }
        // The driver's queue is full: wait until it takes more or the time is up.
        const std::int64_t left = deadline - nowMicros();
        if (left <= 0) {
            break;
        }
        pollfd p{fd_.get(), POLLOUT, 0};
        const int ready = ::poll(
            &p, 1,
            static_cast<int>(std::min<std::int64_t>((left + 999) / 1000, 24LL * 3600 * 1000)));
        if (ready < 0 && errno != EINTR) {
            return systemFailure(errno);
        }
        if (ready > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            return failed(EIO);
        }
    }
    int pending = 0;
    if (int error = waitUntilHandedOver(deadline, pending)) {
        return failed(error);
    }
    if (pending > 0) {
        // What missed the deadline must not leave later (usb-serial and cdc-acm
        // have no output flush: there it still leaves).
        control(fd_.get(), TCFLSH, TCOFLUSH);
    }
    sent = accepted - pending;
    if (watch_ != nullptr) {
        watch_->raise(kEvTxEmpty);
    }
    return {};
}

// Waits until the driver's output queue (TIOCOUTQ) is empty or the deadline has
// passed, sleeping the wire time of what is queued between looks (tcdrain has no
// limit). Empty means every byte is with the hardware, the last ones maybe still on
// the wire: the 8250 does not count its FIFO, usb-serial and cdc-acm count only
// unfinished URBs. Waiting for the transmitter to empty as well could end the write
// after a quick sign's reply had begun, and the confirmation's clear would discard
// its start. The frame is safe from that clear: the 8250's output flush spares the
// FIFO, and usb-serial and cdc-acm have none.
int PosixComDevice::waitUntilHandedOver(std::int64_t deadline, int& pending) {
    for (;;) {
        if (int error = control(fd_.get(), TIOCOUTQ, &pending)) {
            return error;
        }
        const std::int64_t left = deadline - nowMicros();
        if (pending <= 0 || left <= 0) {
            pending = std::max(pending, 0);
            return 0;
        }
        sleepMicros(std::min(left, std::max<std::int64_t>(wireMicros(pending), 100)));
    }
}

PortFailure PosixComDevice::modemLines(TComSignals& lines) {
    lines = {};
    if (int error = usable()) {
        return systemFailure(error);
    }
    int bits = 0;
    const int error = control(fd_.get(), TIOCMGET, &bits);
    if (error != 0) {
        return unsupported(error) ? PortFailure()
                                  : failed(error);  // a pseudo-terminal has no modem lines
    }
    const struct {
        int bit;
        TComSignal signal;
    } map[] = {{TIOCM_CTS, csCTS}, {TIOCM_DSR, csDSR}, {TIOCM_RNG, csRing}, {TIOCM_CD, csRLSD}};
    for (const auto& m : map) {
        if (bits & m.bit) {
            lines.include(m.signal);
        }
    }
    return {};
}

PortFailure PosixComDevice::lineErrors(TComErrors& errors) {
    errors = {};
    if (int error = usable()) {
        return systemFailure(error);
    }
    serial_icounter_struct now{};
    const int error = control(fd_.get(), TIOCGICOUNT, &now);
    if (error != 0) {
        return unsupported(error) ? PortFailure()
                                  : failed(error);  // no error counters (a pseudo-terminal)
    }
    // The driver keeps running totals; an error is one whose count moved.
    const ErrorCounts current{std::uint32_t(now.frame), std::uint32_t(now.overrun),
                              std::uint32_t(now.parity), std::uint32_t(now.brk),
                              std::uint32_t(now.buf_overrun)};
    if (current.frame != counts_.frame) {
        errors.include(ceFrame);
    }
    if (parityCheck_ && current.parity != counts_.parity) {
        errors.include(ceRxParity);
    }
    if (current.overrun != counts_.overrun) {
        errors.include(ceOverrun);
    }
    if (current.brk != counts_.brk) {
        errors.include(ceBreak);
    }
    if (current.bufOverrun != counts_.bufOverrun) {
        errors.include(ceRxOver);
    }
    counts_ = current;
    return {};
}

PortFailure PosixComDevice::watchEvents(std::uint32_t mask,
                                        std::unique_ptr<LineEventWatch>& watch) {
    if (int error = usable()) {
        return systemFailure(error);
    }
    return systemFailure(PosixEventWatch::create(fd_.get(), mask, watch_, watch));
}

std::unique_ptr<ComDevice> serialDevice() {
    return std::make_unique<PosixComDevice>();
}

}  // namespace stela
