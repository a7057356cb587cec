#pragma once

#include <algorithm>
#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "serial/ComDevice.h"

namespace stela::test {

// A ComDevice that writes each call into a shared log (where the test's handlers
// write too, so the order of hooks and device calls shows), hands out the bytes
// put into `incoming`, and fails any operation named in `failures` with its errno.
class RecordingComDevice final : public ComDevice {
public:
    explicit RecordingComDevice(std::vector<std::string>& log) : log_(log) {}

    std::map<std::string, int> failures;  // "open", "line", "read" ... -> errno
    std::string incoming;                 // bytes the line has delivered
    std::string written;
    TComSignals lines;
    LineParameters line;  // the last record applied
    TimeoutValues timeouts;

    int open(const std::string& port) override {
        log_.push_back("open " + port);
        const int error = failure("open");
        open_ = error == 0;
        return error;
    }
    void close() override {
        if (open_) {
            log_.push_back("close");
        }
        open_ = false;
    }
    bool isOpen() const override { return open_; }

    int setQueueSizes(int in, int out) override {
        log_.push_back("queues " + std::to_string(in) + " " + std::to_string(out));
        return failure("queues");
    }
    int setLineParameters(const LineParameters& parameters) override {
        log_.push_back("line");
        line = parameters;
        return failure("line");
    }
    int setTimeouts(const TimeoutValues& values) override {
        log_.push_back("timeouts");
        timeouts = values;
        return failure("timeouts");
    }
    int purge(bool in, bool out) override {
        log_.push_back(std::string("purge") + (in ? " in" : "") + (out ? " out" : ""));
        if (in) {
            incoming.clear();
        }
        return failure("purge");
    }
    int abortTransfers() override {
        log_.push_back("abort");
        return failure("abort");
    }
    int read(char* buffer, int capacity, int& received) override {
        received = 0;
        if (int error = failure("read")) {
            return error;
        }
        received = std::min(capacity, int(incoming.size()));
        std::copy_n(incoming.begin(), received, buffer);
        incoming.erase(0, std::size_t(received));
        return 0;
    }
    int write(const char* data, int size, int& sent) override {
        sent = 0;
        if (int error = failure("write")) {
            return error;
        }
        written.append(data, std::size_t(size));
        sent = size;
        return 0;
    }
    int modemLines(TComSignals& out) override {
        log_.push_back("lines");
        out = lines;
        return failure("lines");
    }
    int lineErrors(TComErrors& errors) override {
        errors = {};
        return failure("errors");
    }

private:
    int failure(const std::string& operation) const {
        const auto it = failures.find(operation);
        return it == failures.end() ? 0 : it->second;
    }

    std::vector<std::string>& log_;
    bool open_ = false;
};

}  // namespace stela::test
