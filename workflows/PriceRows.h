#pragma once

#include <optional>
#include <string>
#include <vector>

#include "workflows/Outcomes.h"

namespace stela {

// What a read puts into a price row besides its price: the grade selection
// and both caption boxes.
struct RowMarks {
    int gradeIndex = -1;  // outside 0..4: no selection
    bool caption1 = false;
    bool caption2 = false;
};
// What a half's read puts into its price row, as the window's grid takes it:
// every framed reply its price text ("12.34", "--.--"), and the first halves
// and row 5's second half also the marks. Nothing from a reply not framed.
struct RowRefill {
    std::string priceText;
    std::optional<RowMarks> marks;
};
std::optional<RowRefill> rowRefill(int row, Half half, const HalfRead& read);

// The ten frames a write of `rows` sends, in the order sent (bottom row first,
// each row's first half before its second), without sending them.
std::vector<WriteStep> plannedWrite(const PriceRows& rows);

}  // namespace stela
