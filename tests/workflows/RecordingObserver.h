#pragma once

#include <functional>
#include <string>
#include <vector>

#include "workflows/WorkflowObserver.h"

namespace stela::test {

// A WorkflowObserver that keeps the log and records the other events in order,
// one text each: "progress:4", "stop?", "between" (a row's halves),
// "read:1,2" (row, half), "written:5,1,yes".
class RecordingObserver : public WorkflowObserver {
public:
    std::vector<std::string> log;
    std::vector<std::string> calls;
    int progressStep = 0;  // the last step told
    // Runs at every stopNow, as window input would; what it returns is the answer.
    std::function<bool()> onStopNow;
    // Runs after each log line is kept, before the workflow goes on.
    std::function<void(const std::string& line)> onLog;

    void appendLog(const std::string& line) override {
        log.push_back(line);
        if (onLog) {
            onLog(line);
        }
    }
    void progress(int step) override {
        progressStep = step;
        calls.push_back("progress:" + std::to_string(step));
    }
    void halfWritten(int row, Half half, bool confirmed) override {
        calls.push_back("written:" + where(row, half) + (confirmed ? ",yes" : ",no"));
    }
    void halfRead(int row, Half half, const HalfRead&) override {
        calls.push_back("read:" + where(row, half));
    }
    bool stopNow() override {
        calls.push_back("stop?");
        return onStopNow && onStopNow();
    }
    void betweenHalves() override { calls.push_back("between"); }

private:
    static std::string where(int row, Half half) {
        return std::to_string(row) + (half == Half::First ? ",1" : ",2");
    }
};

}  // namespace stela::test
