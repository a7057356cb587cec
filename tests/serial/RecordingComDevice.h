#pragma once

#include <algorithm>
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

    bool wait(std::uint32_t& kinds) override {
        ScriptedLineEvents& e = *events_;
        std::unique_lock<std::mutex> lock(e.mutex_);
        ++e.waits_;
        e.changed_.notify_all();
        e.changed_.wait(lock, [&] { return e.stopped_ || !e.reports_.empty(); });
        if (e.stopped_) {
            return false;
        }
        kinds = e.reports_.front();
        e.reports_.pop_front();
        return true;
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
// put into `incoming`, fails any operation named in `failures` with its system
// number (as this system classifies it),
// and reports the line events a test scripts in `lineEvents`.
class RecordingComDevice final : public ComDevice {
public:
    explicit RecordingComDevice(std::vector<std::string>& log) : log_(log) {}

    std::map<std::string, int> failures;  // "open", "line", "read" ... -> system number
    std::string incoming;                 // bytes the line has delivered
    std::string written;
    TComSignals lines;
    TComErrors errors;  // pending line errors; reading them clears them
    std::shared_ptr<ScriptedLineEvents> lineEvents = std::make_shared<ScriptedLineEvents>();
    LineParameters line;  // the last record applied
    TimeoutValues timeouts;

    PortFailure open(const PortAddress& address) override {
        log_.push_back("open " + address.name());
        const PortFailure error = failure("open");
        open_ = !error;
        return error;
    }
    void close() override {
        if (open_) {
            log_.push_back("close");
        }
        open_ = false;
    }
    bool isOpen() const override { return open_; }

    PortFailure setQueueSizes(int in, int out) override {
        log_.push_back("queues " + std::to_string(in) + " " + std::to_string(out));
        return failure("queues");
    }
    PortFailure setLineParameters(const LineParameters& parameters) override {
        log_.push_back("line");
        line = parameters;
        return failure("line");
    }
    PortFailure setTimeouts(const TimeoutValues& values) override {
        log_.push_back("timeouts");
        timeouts = values;
        return failure("timeouts");
    }
    PortFailure purge(bool in, bool out) override {
        log_.push_back(std::string("purge") + (in ? " in" : "") + (out ? " out" : ""));
        if (in) {
            incoming.clear();
        }
        return failure("purge");
    }
    PortFailure abortTransfers() override {
        log_.push_back("abort");
        return failure("abort");
    }
    PortFailure read(char* buffer, int capacity, int& received) override {
        received = 0;
        if (PortFailure error = failure("read")) {
            return error;
        }
        received = std::min(capacity, int(incoming.size()));
        std::copy_n(incoming.begin(), received, buffer);
        incoming.erase(0, std::size_t(received));
        return {};
    }
    PortFailure write(const char* data, int size, int& sent) override {
        sent = 0;
        if (PortFailure error = failure("write")) {
            return error;
        }
        written.append(data, std::size_t(size));
        sent = size;
        return {};
    }
    PortFailure modemLines(TComSignals& out) override {
        log_.push_back("lines");
        out = lines;
        return failure("lines");
    }
    PortFailure lineErrors(TComErrors& out) override {
        log_.push_back("errors");
        out = {};
        if (PortFailure error = failure("errors")) {
            return error;
        }
        out = errors;
        errors = {};
        return {};
    }
    PortFailure watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) override {
        char text[16];
        std::snprintf(text, sizeof text, "watch 0x%04X", unsigned(mask));
        log_.push_back(text);
        if (PortFailure error = failure("watch")) {
            return error;
        }
        watch = std::make_unique<ScriptedWatch>(lineEvents, log_);
        return {};
    }

private:
    PortFailure failure(const std::string& operation) const {
        const auto it = failures.find(operation);
        return it == failures.end() ? PortFailure() : systemFailure(it->second);
    }

    std::vector<std::string>& log_;
    bool open_ = false;
};

}  // namespace stela::test
