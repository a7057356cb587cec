#include "tests/support/SimComDevice.h"

#include <algorithm>
#include <cstring>

namespace stela::test {

SignModel& SimComDevice::attachSign(const std::string& port) {
    auto& slot = ports_[port];
    slot.sign = std::make_unique<SignModel>();
    return *slot.sign;
}

void SimComDevice::addSilentPort(const std::string& port) {
    ports_[port].sign.reset();
}

SignModel* SimComDevice::sign(const std::string& port) {
    const auto it = ports_.find(port);
    return it == ports_.end() ? nullptr : it->second.sign.get();
}

void SimComDevice::failOn(Op op, int error, const std::string& port) {
    failOn(op, systemFailure(error), port);
}

void SimComDevice::failOn(Op op, PortFailure failure, const std::string& port) {
    failures_[{op, port}] = failure;
}

PortFailure SimComDevice::failure(Op op) const {
    for (const std::string& port : {openPort_, std::string()}) {
        const auto it = failures_.find({op, port});
        if (it != failures_.end() && it->second) {
            return it->second;
        }
    }
    return {};
}

PortFailure SimComDevice::open(const PortAddress& address) {
    const std::string& port = address.name();
    if (ports_.find(port) == ports_.end()) {
        return ownFailure(FailureKind::Missing);
    }
    const auto it = failures_.find({Op::Open, port});
    if (it != failures_.end() && it->second) {
        return it->second;
    }
    openPort_ = port;
    input_.clear();
    runBytes_ = 0;  // a fresh line is idle
    ++openCount_;
    return {};
}

void SimComDevice::close() {
    openPort_.clear();
    input_.clear();
}

PortFailure SimComDevice::setQueueSizes(int inputSize, int outputSize) {
    return inputSize < 0 || outputSize < 0 ? ownFailure(FailureKind::Unsupported) : PortFailure();
}

PortFailure SimComDevice::setLineParameters(const LineParameters& line) {
    if (PortFailure error = failure(Op::LineParameters)) {
        return error;
    }
    line_ = line;
    return {};
}

void SimComDevice::collectArrived() {
    SignModel* model = sign(openPort_);
    if (model == nullptr) {
        return;
    }
    for (const TimedByte& b : model->takeReplyBytes(clock_.now())) {
        input_.push_back(b.byte);
    }
}

// Output needs nothing: every write returns with all its bytes in the FIFO,
// where a purge cannot reach them.
PortFailure SimComDevice::purge(bool input, bool /*output*/) {
    if (PortFailure error = failure(Op::Purge)) {
        return error;
    }
    if (input) {
        collectArrived();
        input_.clear();
    }
    return {};
}

PortFailure SimComDevice::read(char* buffer, int capacity, int& received) {
    received = 0;
    if (PortFailure error = failure(Op::Read)) {
        return error;
    }
    collectArrived();
    const auto n = std::min<std::size_t>(std::size_t(std::max(capacity, 0)), input_.size());
    std::memcpy(buffer, input_.data(), n);
    input_.erase(0, n);
    received = int(n);
    clock_.advance(readCost_);
    return {};
}

PortFailure SimComDevice::write(const char* data, int size, int& sent) {
    sent = 0;
    if (PortFailure error = failure(Op::Write)) {
        return error;
    }
    written_.push_back({openPort_, std::string(data, std::size_t(size)), clock_.now_ms()});
    const SimTime now = clock_.now();
    if (now >= runStart_ + wireTime(runBytes_)) {  // the line is idle
        runStart_ = now;
        runBytes_ = 0;
    }
    SignModel* model = sign(openPort_);
    for (int i = 0; i < size; ++i, ++runBytes_) {
        if (model != nullptr) {
            model->receive(std::string_view(data + i, 1), runStart_ + wireTime(runBytes_ + 1));
        }
    }
    // The last byte goes into the FIFO once the byte a FIFO's length ahead has left.
    const SimTime handedOver = runStart_ + wireTime(runBytes_ - kTransmitFifoBytes);
    clock_.advance(std::max(handedOver - now, SimTime::zero()));
    sent = size;
    return {};
}

PortFailure SimComDevice::modemLines(TComSignals& lines) {
    lines = TComSignals();
    return {};
}

PortFailure SimComDevice::lineErrors(TComErrors& errors) {
    errors = TComErrors();
    return {};
}

}  // namespace stela::test
