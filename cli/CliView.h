#pragma once

#include <array>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "workflows/ConsoleView.h"
#include "protocol/Frames.h"

namespace stela::cli {

class ProgressBar;

// What a read found in one half: a price, a panel without one, or why it failed.
enum class HalfState { Ok, Unused, BadChecksum, WrongAddress, NotAPrice, NoReply };

// The main window as stela-cli holds it: the price grid, the read-back labels,
// the digit fields, the operation log and the notices, kept as the window
// would keep them, so the console's workflows run on it unchanged.
class CliView final : public ConsoleView {
public:
    // A price row as the grid holds it; a new window starts with an empty
    // price field, the grade "80" and clear boxes.
    struct Row {
        std::string price = "  .  ";
        bool notUsed = false;
        int gradeIndex = 0;  // -1: no selection
        bool caption1 = false;
        bool caption2 = false;
    };
    // A read-back label, with what the read found behind it.
    struct Readback {
        std::string text = "---";
        HalfState state = HalfState::NoReply;
        ReadReply reply;  // taken apart when valid

        // Green in the window, and a price or a panel without one.
        bool valid() const { return state == HalfState::Ok || state == HalfState::Unused; }
    };

    // `replyBuffer` is the console's reply buffer: while a label is shown
    // green, it holds the reply shown. `verdictOf` tells how the console's
    // last read of a half (by address) ended. `stopRequested` says when a
    // signal asked the program to stop, as closing the window does.
    CliView(std::function<const std::string&()> replyBuffer,
            std::function<ReplyVerdict(int address)> verdictOf,
            std::function<bool()> stopRequested);

    // Every log line also goes to each of these, as it is appended.
    void addLogStream(std::ostream& out) { logStreams_.push_back(&out); }
    void addLogSink(LogSink& sink) { logSinks_.push_back(&sink); }
    void setProgressBar(ProgressBar* bar) { bar_ = bar; }

    Row& row(int number) { return rows_.at(number); }
    const Row& row(int number) const { return rows_.at(number); }
    const Readback& readback(int row, Half half) const;
    void setDigit(DigitField field, int level);

    const std::vector<std::string>& log() const { return log_; }
    const std::vector<std::string>& notices() const { return notices_; }
    // Set by a board search that found the sign.
    const std::string& status() const { return status_; }

    void appendLog(const std::string& line) override;
    void clearLog() override { log_.clear(); }
    void setStatusText(const std::string& text) override { status_ = text; }
    // The bar counts halves instead (showReadback, halfWritten).
    void setProgressRange(int, int) override {}
    void setProgressPosition(int) override {}
    bool processPendingEvents() override { return !stopRequested_(); }
    void setBusySetEnabled(bool) override {}
    PriceRowInputs rowInputs(int row) override;
    void refillRow(int row, const std::string& priceText,
                   const std::optional<RowMarks>& marks) override;
    void showReadback(int row, Half half, const std::string& text, Rgb color) override;
    void halfWritten(int row, Half half) override;
    std::string digitText(DigitField field) override;
    void notice(const std::string& text) override { notices_.push_back(text); }
    void errorReport(const std::string& text) override { notices_.push_back(text); }

private:
    std::function<const std::string&()> replyBuffer_;
    std::function<ReplyVerdict(int)> verdictOf_;
    std::function<bool()> stopRequested_;
    std::vector<std::ostream*> logStreams_;
    std::vector<LogSink*> logSinks_;
    ProgressBar* bar_ = nullptr;
    std::array<Row, 6> rows_{};                           // [1..5]
    std::array<std::array<Readback, 2>, 6> readbacks_{};  // [row][half]
    std::array<std::string, 2> digits_{" ", " "};
    std::vector<std::string> log_;
    std::vector<std::string> notices_;
    std::string status_;
};

}  // namespace stela::cli
