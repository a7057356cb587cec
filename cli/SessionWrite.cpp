// `stela-cli write`: the rows given on top of what the sign holds, each half
// confirmed, then read back.
#include "cli/Session.h"

#include <algorithm>

#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/Readout.h"
#include "protocol/Frames.h"
#include "workflows/PriceRows.h"

namespace stela::cli {

bool Session::rowsReadWhole(const ReadOutcome& read) {
    bool whole = true;
    for (int row = 1; row <= kRows; ++row) {
        const auto& change = args_.rows[row];
        if ((change && change->whole()) || rowReadout(read, row).valid) {
            continue;
        }
        std::string why;
        for (Half half : {Half::First, Half::Second}) {
            const HalfRead& got = read.at(row, half);
            if (!got.valid() && why.empty()) {
                why = halfName(row, half) + ": " + failureReason(got.verdict);
            }
        }
        if (why.empty()) {
            why = translateCli("row %1: its halves differ", {std::to_string(row)});
        }
        err_ << prefixed(translateCli(
            "%1, so row %2 cannot keep what the sign holds; give it whole (price, grade, "
            "caption1, caption2). Nothing was written.",
            {why, std::to_string(row)}));
        whole = false;
    }
    return whole;
}

std::array<PriceRowInputs, kRows + 1> Session::rowsToWrite(
    const std::optional<ReadOutcome>& read) const {
    std::array<PriceRowInputs, kRows + 1> rows{};
    for (int row = 1; row <= kRows; ++row) {
        // A new window's row: an empty price field, the grade "80", clear boxes;
        // then what the read put into it, as the window's grid takes a read.
        PriceRowInputs& in = rows[row] = {"  .  ", false, 0, false, false};
        for (Half half : {Half::First, Half::Second}) {
            const auto refill = read ? rowRefill(row, half, read->at(row, half)) : std::nullopt;
            if (refill && refill->marks) {
                in.gradeIndex = refill->marks->gradeIndex;
                in.caption1 = refill->marks->caption1;
                in.caption2 = refill->marks->caption2;
            }
            if (refill) {
                in.priceText = refill->priceText;
            }
        }
        if (const auto& change = args_.rows[row]) {
            in = change->appliedTo(in);
        }
    }
    return rows;
}

int Session::write() {
    const bool needsSign = std::any_of(args_.rows.begin() + 1, args_.rows.end(),
                                       [](const auto& c) { return !c || !c->whole(); });
    if (needsSign || !args_.dryRun) {
        if (!connect()) {
            return kNoSign;
        }
    }
    std::optional<ReadOutcome> held;
    if (needsSign) {
        // As the window's grid after "Прочитать": what the sign holds.
        held = readWithProgress(translateCli("read"));
        if (!rowsReadWhole(*held)) {
            return kNotConfirmed;
        }
    }
    const auto rows = rowsToWrite(held);
    const PriceRows rowAt = [&rows](int row) { return rows.at(std::size_t(row)); };
    if (args_.dryRun) {
        for (const WriteStep& step : plannedWrite(rowAt)) {
            out_ << step.frame << "\n";
        }
        return kDone;
    }
    bar_.start(translateCli("write"), kHalfCount);
    const WriteOutcome written = console_.writePrices(rowAt);
    bar_.finish();
    // "Записать" reads back what the sign now holds.
    const ReadOutcome readBack = readWithProgress(translateCli("check"));
    printReadout(readBack);
    return writeConfirmed(written, readBack) ? kDone : kNotConfirmed;
}

bool Session::writeConfirmed(const WriteOutcome& written, const ReadOutcome& readBack) {
    bool confirmed = true;
    for (const WriteStep& step : written.sent) {
        if (written.account.state(step.row, step.half) != WriteAccount::State::Confirmed) {
            err_ << prefixed(translateCli("%1: the sign did not confirm %2",
                                          {halfName(step.row, step.half), step.frame}));
            confirmed = false;
        }
    }
    confirmed = readReport(readBack) && confirmed;
    for (const WriteStep& step : written.sent) {
        const HalfRead& got = readBack.at(step.row, step.half);
        const auto sent = parseWriteFrame(step.frame);
        if (got.valid() && sent &&
            (got.reply.price != sent->price || got.reply.grade != sent->grade ||
             got.reply.captions != sent->captions)) {
            err_ << prefixed(
                translateCli("%1 holds %2, not what was written (%3)",
                             {halfName(step.row, step.half), contentText(got.reply), step.frame}));
            confirmed = false;
        }
    }
    return confirmed;
}

}  // namespace stela::cli
