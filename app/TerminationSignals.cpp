#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>

namespace stela {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM};

volatile std::sig_atomic_t caught = 0;
volatile std::sig_atomic_t pipeWriteEnd = -1;
struct sigaction replaced[std::size(kSignals)];

void onTerminationSignal(int signal) {
    const int savedErrno = errno;
    if (caught == 0) {
        caught = signal;
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset(&defaultAction.sa_mask);
        for (int s : kSignals) {
            // A write to a closed stderr must not end the row in progress.
            if (s != SIGPIPE) {
                ::sigaction(s, &defaultAction, nullptr);
            }
        }
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(pipeWriteEnd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the signals keep their default action: they end the program
    }
    readEnd_.reset(ends[0]);
    writeEnd_.reset(ends[1]);
    caught = 0;
    pipeWriteEnd = writeEnd_.get();
    notifier_ = new QSocketNotifier(readEnd_.get(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals) {
        sigaddset(&action.sa_mask, s);
    }
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], &action, &replaced[i]);
    }
}

TerminationSignals::~TerminationSignals() {
    if (notifier_ == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], &replaced[i], nullptr);
    }
    pipeWriteEnd = -1;  // the pipe closes after this
}

int TerminationSignals::received() {
    return caught;
}

void TerminationSignals::readPipe() {
    unsigned char byte = 0;
    while (::read(readEnd_.get(), &byte, 1) == 1) {
    }
    notifier_->setEnabled(false);  // one signal is acted on; a second ends the program
    if (caught != 0) {
        deliver();
    }
}

}  // namespace stela
