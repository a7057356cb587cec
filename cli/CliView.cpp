#include "cli/CliView.h"

#include <algorithm>

#include "cli/ProgressBar.h"
#include "workflows/Console.h"

namespace stela::cli {

namespace {

std::size_t halfIndex(Half half) {
    return half == Half::First ? 0 : 1;
}

}  // namespace

CliView::CliView(std::function<const std::string&()> replyBuffer,
                 std::function<ReplyVerdict(int address)> verdictOf,
                 std::function<bool()> stopRequested)
    : replyBuffer_(std::move(replyBuffer)),
      verdictOf_(std::move(verdictOf)),
      stopRequested_(std::move(stopRequested)) {}

const CliView::Readback& CliView::readback(int row, Half half) const {
    return readbacks_.at(row)[halfIndex(half)];
}

void CliView::setDigit(DigitField field, int level) {
    // The field shows nothing for 0, as the window's does.
    digits_[field == DigitField::Brightness ? 0 : 1] =
        level == 0 ? " " : std::string(1, static_cast<char>('0' + level));
}

void CliView::appendLog(const std::string& line) {
    log_.push_back(line);
    for (LogSink* sink : logSinks_) {
        sink->appendLog(line);
    }
    if (logStreams_.empty()) {
        return;
    }
    if (bar_ != nullptr) {
        bar_->hide();
    }
    for (std::ostream* out : logStreams_) {
        *out << line << '\n' << std::flush;
    }
    if (bar_ != nullptr) {
        bar_->redraw();
    }
}

PriceRowInputs CliView::rowInputs(int number) {
    const Row& r = rows_.at(number);
    return {r.price, r.notUsed, r.gradeIndex, r.caption1, r.caption2};
}

void CliView::refillRow(int number, const std::string& priceText,
                        const std::optional<RowMarks>& marks) {
    Row& r = rows_.at(number);
    if (marks) {
        // An index outside the list leaves the selection empty, as in the window.
        r.gradeIndex = marks->gradeIndex >= 0 && marks->gradeIndex < int(kGradeNames.size())
                           ? marks->gradeIndex
                           : -1;
        r.caption1 = marks->caption1;
        r.caption2 = marks->caption2;
    }
    r.price = priceText;
}

void CliView::showReadback(int number, Half half, const std::string& text, Rgb color) {
    Readback& label = readbacks_.at(number)[halfIndex(half)];
    label.text = text;
    label.reply = {};
    if (color == kReadbackGreen) {
        label.reply = parseReadReply(replyBuffer_());
        const std::string& price = label.reply.price;
        const bool digits =
            std::all_of(price.begin(), price.end(), [](char c) { return c >= '0' && c <= '9'; });
        // Price characters that mix digits and dashes make no price to pass on.
        label.state = price == "----" ? HalfState::Unused
                      : digits        ? HalfState::Ok
                                      : HalfState::NotAPrice;
    } else {
        switch (verdictOf_(halfAddress(number, half))) {
            case ReplyVerdict::Incomplete:
                label.state = HalfState::NoReply;
                break;
            case ReplyVerdict::BadChecksum:
                label.state = HalfState::BadChecksum;
                break;
            case ReplyVerdict::WrongAddress:
                label.state = HalfState::WrongAddress;
                break;
            case ReplyVerdict::NotAPrice:
            case ReplyVerdict::NotFramed:
            case ReplyVerdict::Answers:
                label.state = HalfState::NotAPrice;
                break;
        }
    }
    if (bar_ != nullptr) {
        bar_->advance();
    }
}

void CliView::halfWritten(int, Half) {
    if (bar_ != nullptr) {
        bar_->advance();
    }
}

std::string CliView::digitText(DigitField field) {
    return digits_[field == DigitField::Brightness ? 0 : 1];
}

}  // namespace stela::cli
