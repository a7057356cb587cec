#include "sim/tool/PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

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
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0) {
        raise("posix_openpt");
    }
    try {
        char name[128];
        if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
            raise("grantpt/unlockpt");
        }
        if (ptsname_r(master_, name, sizeof name) != 0) {
            raise("ptsname_r");
        }
        slavePath_ = name;
        slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) {
            raise("open pseudo-terminal slave");
        }
        // Raw like the sign's line: no echo (it would send our replies back to
        // us as input), no line editing, no translation.
        termios tio{};
        if (tcgetattr(slave_, &tio) != 0) {
            raise("tcgetattr");
        }
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&tio, speedCode(baudRate));
        cfsetospeed(&tio, speedCode(baudRate));
        if (tcsetattr(slave_, TCSANOW, &tio) != 0) {
            raise("tcsetattr");
        }
    } catch (...) {
        if (slave_ >= 0) {
            close(slave_);
        }
        close(master_);
        throw;
    }
}

PseudoTerminal::~PseudoTerminal() {
    close(slave_);
    closeMaster();
}

void PseudoTerminal::closeMaster() {
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
}

}  // namespace stela
