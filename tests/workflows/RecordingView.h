#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "workflows/ConsoleView.h"

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
    void setProgressRange(int minimum, int maximum) override {
        progressMin = minimum;
        progressMax = maximum;
        record("progressRange:" + std::to_string(minimum) + ".." + std::to_string(maximum));
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
    PriceRowInputs rowInputs(int row) override {
        const Row& r = rows.at(row);
        return {r.price, r.notUsed, r.gradeIndex, r.caption1, r.caption2};
    }
    void refillRow(int row, const std::string& priceText,
                   const std::optional<RowMarks>& marks) override {
        Row& r = rows.at(row);
        if (marks) {
            r.gradeIndex =
                (marks->gradeIndex >= 0 && marks->gradeIndex <= 4) ? marks->gradeIndex : -1;
            r.caption1 = marks->caption1;
            r.caption2 = marks->caption2;
        }
        r.price = priceText;
    }
    void showReadback(int row, Half half, const std::string& text, Rgb color) override {
        label(row, half) = {text, color};
    }
    std::string digitText(DigitField field) override {
        return field == DigitField::Brightness ? brightnessDigit : effectDigit;
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
