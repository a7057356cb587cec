#pragma once

#include <optional>
#include <string>

#include "workflows/Outcomes.h"

namespace stela::cli {

enum class Format { Text, Json, Csv, Prometheus };  // Prometheus: check only

// A row as the last read found it, from its two halves. A value is missing
// where the read could not tell it: the half it comes from (as the window's
// grid takes it: the price from the second half, else the first; grade and
// captions from the first half, for row 5 from the second, else the first)
// failed. Valid when both halves were read and agree.
struct RowReadout {
    bool valid = false;
    std::optional<std::string> price;  // "45.67", or "unused" for a panel without a price
    std::optional<int> gradeIndex;     // -1: none of the list
    std::optional<bool> caption1;
    std::optional<bool> caption2;
};
RowReadout rowReadout(const ReadOutcome& read, int row);

// What a read shows, in `format`: the ten halves (row, half, address, state,
// price, grade, caption flags), top row first, then the five rows. The JSON
// and CSV forms read back as a prices file (PriceFile.h); stela-cli(1) and
// stela-cli.schema.json describe them.
std::string formatReadout(const ReadOutcome& read, const std::string& port, Format format,
                          bool asciiJson);

// "row 3, second half (address 10)"
std::string halfName(int row, Half half);

// The JSON and CSV word for a half's state: "ok", "no-reply", ...
const char* stateWord(HalfVerdict verdict);
// Why a half failed, in words: "no complete reply in 7 passes".
std::string failureReason(HalfVerdict verdict);
// A half's content as a read shows it: "45.67, grade 95, caption1 yes, caption2 no".
std::string contentText(const ReadReply& reply);

}  // namespace stela::cli
