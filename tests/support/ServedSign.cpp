#include "tests/support/ServedSign.h"

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "sim/tool/SimServer.h"

namespace stela::test {

ServedSign::ServedSign() {
    sigemptyset(&stop_);
    sigaddset(&stop_, SIGUSR1);
    signalFd_ = signalfd(-1, &stop_, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "signalfd");
    }
}

ServedSign::~ServedSign() {
    stop();
    close(signalFd_);
}

void ServedSign::start() {
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &stop_, &previous);  // the new thread inherits it
    thread_ = std::thread([this] { serveSign(sign_, pty_.masterFd(), signalFd_, display_); });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

void ServedSign::stop() {
    if (thread_.joinable()) {
        pthread_kill(thread_.native_handle(), SIGUSR1);
        thread_.join();
    }
}

}  // namespace stela::test
