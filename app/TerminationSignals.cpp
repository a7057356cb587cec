#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include "os/TerminatingSignals.h"

namespace stela {
namespace {

volatile std::sig_atomic_t pipeWriteEnd = -1;

void wakeEventLoop(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(pipeWriteEnd, &byte, 1);
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
    pipeWriteEnd = writeEnd_.get();
    notifier_ = new QSocketNotifier(readEnd_.get(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
    catchTerminatingSignals(RepeatedSignal::SameStop, wakeEventLoop);
}

TerminationSignals::~TerminationSignals() {
    if (notifier_ == nullptr) {
        return;
    }
    releaseTerminatingSignals();
    pipeWriteEnd = -1;  // the pipe closes after this
}

int TerminationSignals::received() {
    return firstTerminatingSignal();
}

void TerminationSignals::readPipe() {
    unsigned char byte = 0;
    while (::read(readEnd_.get(), &byte, 1) == 1) {
    }
    notifier_->setEnabled(false);  // one stop is acted on; later signals are the same stop
    if (received() != 0) {
        deliver();
    }
}

}  // namespace stela
