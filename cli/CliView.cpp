#include "cli/CliView.h"

#include "cli/ProgressBar.h"

namespace stela::cli {

namespace {

std::size_t halfIndex(Half half) {
    return half == Half::First ? 0 : 1;
}

}  // namespace

CliView::CliView(std::function<const std::string&()> replyBuffer,
                 std::function<bool()> stopRequested)
    : replyBuffer_(std::move(replyBuffer)), stopRequested_(std::move(stopRequested)) {}

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
    if (bar_ != nullptr) {
        bar_->hide();
    }
    for (std::ostream* out : logStreams_) {
        *out << line << '\n' << std::flush;
    }
    for (LogSink* sink : logSinks_) {
        sink->appendLog(line);
    }
    if (bar_ != nullptr) {
        bar_->show();
    }
}

void CliView::setProgressRange(int minimum, int maximum) {
    if (bar_ != nullptr) {
        bar_->setRange(minimum, maximum);
    }
}

void CliView::setProgressPosition(int value) {
    if (bar_ != nullptr) {
        bar_->setPosition(value);
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
    label.valid = color == kReadbackGreen;
    label.reply = label.valid ? parseReadReply(replyBuffer_()) : ReadReply{};
}

std::string CliView::digitText(DigitField field) {
    return digits_[field == DigitField::Brightness ? 0 : 1];
}

}  // namespace stela::cli
