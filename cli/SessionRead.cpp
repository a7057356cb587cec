// `stela-cli read`, and the read that write and check run.
#include "cli/Session.h"

#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/Readout.h"
#include "cli/Utf8.h"

namespace stela::cli {

ReadOutcome Session::readWithProgress(const std::string& title,
                                      std::optional<std::int64_t> deadlineMs) {
    bar_.start(title, kHalfCount);
    ReadOutcome read = deadlineMs ? console_.readPrices(*deadlineMs) : console_.readPrices();
    bar_.finish();
    return read;
}

bool Session::readReport(const ReadOutcome& read) {
    bool valid = true;
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            const HalfRead& got = read.at(row, half);
            if (!got.valid()) {
                err_ << prefixed(halfName(row, half) + ": " + failureReason(got.verdict));
                valid = false;
            }
        }
        const HalfRead& first = read.at(row, Half::First);
        const HalfRead& second = read.at(row, Half::Second);
        if (first.valid() && second.valid() && !rowReadout(read, row).valid) {
            err_ << prefixed(translateCli(
                "row %1: its halves differ: %2, and %3",
                {std::to_string(row), contentText(first.reply), contentText(second.reply)}));
            valid = false;
        }
    }
    return valid;
}

void Session::printReadout(const ReadOutcome& read) {
    out_ << formatReadout(read, escapedText(port_.Port()), args_.format, asciiJson_);
}

int Session::read() {
    if (!connect()) {
        return kNoSign;
    }
    const ReadOutcome read = readWithProgress(translateCli("read"));
    printReadout(read);
    return readReport(read) ? kDone : kNotConfirmed;
}

}  // namespace stela::cli
