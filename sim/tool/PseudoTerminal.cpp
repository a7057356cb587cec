#include "sim/tool/PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "os/StandardStreams.h"

namespace stela {

namespace {

[[noreturn]] void raise(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// The speeds a pseudo-terminal is likely to be asked for; others give 19200.
speed_t speedCode(int baudRate) {
    switch (baudRate) {
        case 9600:
            return B9600;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B19200;
    }
}

}  // namespace

PseudoTerminal::PseudoTerminal(int baudRate) {
    // What is opened is closed again when a step below throws.
    master_.reset(aboveStandardStreams(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)));
    if (!master_.valid()) {
        raise("posix_openpt");
    }
    char name[128];
    if (grantpt(master_.get()) != 0 || unlockpt(master_.get()) != 0) {
        raise("grantpt/unlockpt");
    }
    if (ptsname_r(master_.get(), name, sizeof name) != 0) {
        raise("ptsname_r");
    }
    slavePath_ = name;
    slave_.reset(aboveStandardStreams(open(name, O_RDWR | O_NOCTTY | O_CLOEXEC)));
    if (!slave_.valid()) {
        raise("open pseudo-terminal slave");
    }
    // Raw like the sign's line: no echo (it would send our replies back to
    // us as input), no line editing, no translation.
    termios tio{};
    if (tcgetattr(slave_.get(), &tio) != 0) {
        raise("tcgetattr");
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&tio, speedCode(baudRate));
    cfsetospeed(&tio, speedCode(baudRate));
    if (tcsetattr(slave_.get(), TCSANOW, &tio) != 0) {
        raise("tcsetattr");
    }
}

PseudoTerminal::~PseudoTerminal() = default;  // the slave closes first, then the master

void PseudoTerminal::closeMaster() {
    master_.reset();
}

}  // namespace stela
