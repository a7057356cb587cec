#include "serial/ModemLineWaiter.h"

#include <pthread.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <csignal>

namespace stela {
namespace {

void ignoreWakeSignal(int) {}

// Installed once, without SA_RESTART, so that the ioctl returns EINTR.
void installWakeHandler() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = ignoreWakeSignal;
        sigemptyset(&action.sa_mask);
        return sigaction(ModemLineWaiter::wakeSignal(), &action, nullptr) == 0;
    }();
    (void)installed;
}

}  // namespace

int ModemLineWaiter::wakeSignal() {
    return SIGRTMIN + 5;
}

ModemLineWaiter::ModemLineWaiter(int fd, int lines, std::function<void()> changed)
    : fd_(fd), lines_(lines), changed_(std::move(changed)) {
    installWakeHandler();
    thread_ = std::thread(&ModemLineWaiter::run, this);
}

ModemLineWaiter::~ModemLineWaiter() {
    std::unique_lock<std::mutex> lock(mutex_);
    stopping_ = true;
    while (!ended_) {
        pthread_kill(thread_.native_handle(), wakeSignal());
        endedChanged_.wait_for(lock, std::chrono::milliseconds(1));
    }
    lock.unlock();
    thread_.join();
}

void ModemLineWaiter::run() {
    pthread_setname_np(pthread_self(), "com-modem-lines");
    // The thread inherits its creator's signal mask, which may block ours.
    sigset_t wake;
    sigemptyset(&wake);
    sigaddset(&wake, wakeSignal());
    pthread_sigmask(SIG_UNBLOCK, &wake, nullptr);
    for (;;) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) {
                break;
            }
        }
        if (::ioctl(fd_, TIOCMIWAIT, static_cast<unsigned long>(lines_)) == 0) {
            changed_();
        } else if (errno != EINTR) {
            break;
        }
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    endedChanged_.notify_all();
}

}  // namespace stela
