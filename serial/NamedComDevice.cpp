#include "serial/NamedComDevice.h"

#include "serial/PortNames.h"
#include "serial/net/NetComDevice.h"
#include "serial/net/PortUrl.h"
#include "serial/posix/PosixComDevice.h"

namespace stela {

NamedComDevice::NamedComDevice()
    : serial_(std::make_unique<PosixComDevice>()),
      network_(std::make_unique<NetComDevice>()),
      current_(serial_.get()) {}

NamedComDevice::~NamedComDevice() = default;

int NamedComDevice::open(const std::string& port) {
    if (current_->isOpen()) {
        return EBUSY;
    }
    current_ = isPortUrl(devicePathForPort(port)) ? network_.get() : serial_.get();
    return current_->open(port);
}

void NamedComDevice::close() {
    current_->close();
}
bool NamedComDevice::isOpen() const {
    return current_->isOpen();
}
int NamedComDevice::setQueueSizes(int inputSize, int outputSize) {
    return current_->setQueueSizes(inputSize, outputSize);
}
int NamedComDevice::setLineParameters(const LineParameters& line) {
    return current_->setLineParameters(line);
}
int NamedComDevice::setTimeouts(const TimeoutValues& timeouts) {
    return current_->setTimeouts(timeouts);
}
int NamedComDevice::purge(bool input, bool output) {
    return current_->purge(input, output);
}
int NamedComDevice::abortTransfers() {
    return current_->abortTransfers();
}
int NamedComDevice::read(char* buffer, int capacity, int& received) {
    return current_->read(buffer, capacity, received);
}
int NamedComDevice::write(const char* data, int size, int& sent) {
    return current_->write(data, size, sent);
}
int NamedComDevice::modemLines(TComSignals& lines) {
    return current_->modemLines(lines);
}
int NamedComDevice::lineErrors(TComErrors& errors) {
    return current_->lineErrors(errors);
}
int NamedComDevice::watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) {
    return current_->watchEvents(mask, watch);
}
std::string NamedComDevice::lockFolderTrouble() const {
    return current_->lockFolderTrouble();
}

}  // namespace stela
