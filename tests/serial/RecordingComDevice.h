#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/ComDevice.h"

namespace stela::test {

// Line events a test makes happen, for the watch the port's monitor waits on:
// each report() ends one wait. Shared by the test's thread and the monitor's.
class ScriptedLineEvents {
public:
    void report(std::uint32_t kinds) {
        const std::lock_guard<std::mutex> lock(mutex_);
        reports_.push_back(kinds);
        changed_.notify_all();
    }

    // Waits until the monitor has begun its `count`-th wait; false after `timeout`.
    bool waitForWaits(int count,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return waits_ >= count; });
    }
    int waits() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return waits_;
    }

private:
    friend class ScriptedWatch;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::uint32_t> reports_;
    bool stopped_ = false;
    int waits_ = 0;
};

class ScriptedWatch final : public LineEventWatch {
public:
    ScriptedWatch(std::shared_ptr<ScriptedLineEvents> events, std::vector<std::string>& log)
        : events_(std::move(events)), log_(log) {
        const std::lock_guard<std::mutex> lock(events_->mutex_);
        events_->stopped_ = false;
    }
    ~ScriptedWatch() override { log_.push_back("unwatch"); }

    int wait(std::uint32_t& kinds) override {
        ScriptedLineEvents& e = *events_;
        std::unique_lock<std::mutex> lock(e.mutex_);
        ++e.waits_;
        e.changed_.notify_all();
        e.changed_.wait(lock, [&] { return e.stopped_ || !e.reports_.empty(); });
        if (e.stopped_) {
            return ECANCELED;
        }
        kinds = e.reports_.front();
        e.reports_.pop_front();
        return 0;
    }
    void stop() override {
        const std::lock_guard<std::mutex> lock(events_->mutex_);
        events_->stopped_ = true;
        events_->changed_.notify_all();
    }

private:
    std::shared_ptr<ScriptedLineEvents> events_;
    std::vector<std::string>& log_;  // written on the port's thread only
};

// A ComDevice that writes each call into a shared log (where the test's handlers
// write too, so the order of hooks and device calls shows), hands out the bytes
// put into `incoming`, fails any operation named in `failures` with its errno,
// and reports the line events a test scripts in `lineEvents`.
class RecordingComDevice final : public ComDevice {
public:
    explicit RecordingComDevice(std::vector<std::string>& log) : log_(log) {}

    std::map<std::string, int> failures;  // "open", "line", "read" ... -> errno
    std::string incoming;                 // bytes the line has delivered
    std::string written;
    TComSignals lines;
    TComErrors errors;  // pending line errors; reading them clears them
    std::shared_ptr<ScriptedLineEvents> lineEvents = std::make_shared<ScriptedLineEvents>();
    LineParameters line;  // the last record applied
    TimeoutValues timeouts;

    int open(const PortAddress& address) override {
        log_.push_back("open " + address.name());
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
    int lineErrors(TComErrors& out) override {
        log_.push_back("errors");
        out = {};
        if (int error = failure("errors")) {
            return error;
        }
        out = errors;
        errors = {};
        return 0;
    }
    int watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) override {
        char text[16];
        std::snprintf(text, sizeof text, "watch 0x%04X", unsigned(mask));
        log_.push_back(text);
        if (int error = failure("watch")) {
            return error;
        }
        watch = std::make_unique<ScriptedWatch>(lineEvents, log_);
        return 0;
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
