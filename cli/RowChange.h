#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/Frames.h"

namespace stela::cli {

inline constexpr int kRows = 5;

// What stela-cli sets in one price row. What is not given keeps what the sign
// holds (the grid as a read refilled it).
struct RowChange {
    std::optional<std::string> price;  // "dd.dd", or "--.--" for a panel without a price
    std::optional<int> gradeIndex;     // 0..4 into kGradeNames, -1 for none
    std::optional<bool> caption1;
    std::optional<bool> caption2;

    // Everything given: the row's frames need nothing from the sign.
    bool whole() const { return price && gradeIndex && caption1 && caption2; }
    // The change on top of the row the grid holds.
    PriceRowInputs appliedTo(PriceRowInputs row) const;
};

// Rows 1 (top) to 5; index 0 is unused.
using RowChanges = std::array<std::optional<RowChange>, kRows + 1>;

inline constexpr char kNotUsedPrice[] = "--.--";

// The values as stela-cli takes them; each throws InputError saying what it
// expected. `what` names the value in the message ("row 3 price").

// A price that fits the field "99.99": one or two digits, optionally a point
// and one or two more ("7", "45.6", "45.67" -> "07.00", "45.60", "45.67"), or
// "--.--" / "unused" for a panel without a price.
std::string parsePrice(std::string_view text, const std::string& what);
// A grade of the list ("80", "92", "95", "98", "ДТ"; "DT" too), or "none".
int parseGrade(std::string_view text, const std::string& what);
// yes/no, on/off, true/false, 1/0, да/нет, ИСТИНА/ЛОЖЬ (a Russian Excel's), in
// any case.
bool parseFlag(std::string_view text, const std::string& what);
// 1..5
int parseRowNumber(std::string_view text, const std::string& what);

// "N=PRICE[,grade=G][,caption1=F][,caption2=F]", or fields alone:
// "N=grade=95,caption1=on"; the price may have a decimal comma ("1=45,67").
// Sets rows[N]; a row given twice is refused.
void parseRowOption(std::string_view text, RowChanges& rows);

// A grade as printed: its name, "none" for no grade of the list.
std::string gradeName(int gradeIndex);

// A value from outside as a message quotes it: in double quotes, escaped
// (escapedText), cut after 40 bytes.
std::string quoted(std::string_view text);

}  // namespace stela::cli
