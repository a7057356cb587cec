#pragma once

#include <functional>
#include <ostream>
#include <vector>

#include "workflows/WorkflowObserver.h"

namespace stela::cli {

class ProgressBar;

// How stela-cli follows a workflow: the log lines go to the streams and sinks
// given, each half done moves the progress bar, and a termination signal asks
// the workflow to stop, as closing the window does.
class CliObserver final : public WorkflowObserver {
public:
    explicit CliObserver(std::function<bool()> stopRequested)
        : stopRequested_(std::move(stopRequested)) {}

    void addLogStream(std::ostream& out) { logStreams_.push_back(&out); }
    void addLogSink(LogSink& sink) { logSinks_.push_back(&sink); }
    void setProgressBar(ProgressBar* bar) { bar_ = bar; }

    void appendLog(const std::string& line) override { appendTagged({}, line); }
    void appendTagged(const LogTag& tag, const std::string& line) override;
    void appendJournalOnly(const LogTag& tag, const std::string& line) override;
    void progress(int) override {}  // the bar counts halves instead
    void halfWritten(int, Half, bool) override { advance(); }
    void halfRead(int, Half, const HalfRead&) override { advance(); }
    bool stopNow() override { return stopRequested_(); }

private:
    void advance();

    std::function<bool()> stopRequested_;
    std::vector<std::ostream*> logStreams_;
    std::vector<LogSink*> logSinks_;
    ProgressBar* bar_ = nullptr;
};

}  // namespace stela::cli
