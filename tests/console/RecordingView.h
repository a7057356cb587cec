#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "console/ConsoleView.h"

namespace stela::test {

// A ConsoleView that keeps the window's state as plain data and records every
// call that changes it, in order, as one text per call ("log:...", "notice:...",
// "progress:4", "busy:off" ...).
class RecordingView : public ConsoleView {
public:
    struct Row {
        std::string price = "  .  ";
        bool notUsed = false;
        bool caption1 = false;
        int gradeIndex = 0;
        bool caption2 = false;
    };
    struct Readback {
        std::string text = "---";
        Rgb color = kReadbackRed;
    };

    std::vector<std::string> calls;
    std::vector<std::string> log{"Mem", "o1"};
    std::string status;
    int progressMin = 0, progressMax = 100, progressPosition = 0;
    bool busyEnabled = true;
    std::array<Row, 6> rows{};                          // [1..5]
    std::array<std::array<Readback, 2>, 6> readback{};  // [row][half]
    std::string brightnessDigit = " ";
    std::string effectDigit = " ";
    // Runs at every processPendingEvents, as window input would.
    std::function<void()> onProcessEvents;
    // Set (by onProcessEvents, say) as when the operator closes the window.
    bool closeRequested = false;
    // Runs after each call is recorded, with its text, before the workflow goes on.
    std::function<void(const std::string& call)> onCall;

    Readback& label(int row, Half half) { return readback[row][half == Half::First ? 0 : 1]; }
    std::vector<std::string> logSince(size_t from) const {
        return {log.begin() + static_cast<long>(from), log.end()};
    }
    std::vector<std::string> notices() const { return withPrefix("notice:"); }
    std::vector<std::string> errorReports() const { return withPrefix("error:"); }

    void appendLog(const std::string& line) override {
        log.push_back(line);
        record("log:" + line);
    }
    void clearLog() override {
        log.clear();
        record("clearLog");
    }
    void setStatusText(const std::string& text) override {
        status = text;
        record("status:" + text);
    }
    void setProgressMin(int value) override {
        progressMin = value;
        record("progressMin:" + std::to_string(value));
    }
    void setProgressMax(int value) override {
        progressMax = value;
        record("progressMax:" + std::to_string(value));
    }
    void setProgressPosition(int value) override {
        progressPosition = value;
        record("progress:" + std::to_string(value));
    }
    bool processPendingEvents() override {
        record("events");
        if (onProcessEvents) {
            onProcessEvents();
        }
        return !closeRequested;
    }
    void setBusySetEnabled(bool enabled) override {
        busyEnabled = enabled;
        record(enabled ? "busy:on" : "busy:off");
    }
    std::string priceText(int row) override { return rows.at(row).price; }
    bool notUsed(int row) override { return rows.at(row).notUsed; }
    bool caption1(int row) override { return rows.at(row).caption1; }
    int gradeIndex(int row) override { return rows.at(row).gradeIndex; }
    bool caption2(int row) override { return rows.at(row).caption2; }
    void setPriceText(int row, const std::string& text) override { rows.at(row).price = text; }
    void setGradeIndex(int row, int index) override {
        rows.at(row).gradeIndex = (index >= 0 && index <= 4) ? index : -1;
    }
    void setCaption1(int row, bool checked) override { rows.at(row).caption1 = checked; }
    void setCaption2(int row, bool checked) override { rows.at(row).caption2 = checked; }
    std::string brightnessDigitText() override { return brightnessDigit; }
    std::string effectDigitText() override { return effectDigit; }
    void setReadbackText(int row, Half half, const std::string& text) override {
        label(row, half).text = text;
    }
    void setReadbackColor(int row, Half half, Rgb color) override {
        label(row, half).color = color;
    }
    void notice(const std::string& text) override { record("notice:" + text); }
    void errorReport(const std::string& text) override { record("error:" + text); }

private:
    void record(const std::string& call) {
        calls.push_back(call);
        if (onCall) {
            onCall(call);
        }
    }
    std::vector<std::string> withPrefix(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : calls) {
            if (c.rfind(prefix, 0) == 0) {
                out.push_back(c.substr(prefix.size()));
            }
        }
        return out;
    }
};

}  // namespace stela::test
