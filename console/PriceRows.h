#pragma once

#include <string>

#include "console/ConsoleView.h"

namespace stela {

// What a write sends for one price row, read from its five controls at once.
struct RowInputs {
    std::string price = "  .  ";
    bool notUsed = false;
    bool caption1 = false;
    int gradeIndex = 0;
    bool caption2 = false;
};

inline RowInputs readRowInputs(ConsoleView& view, int row) {
    RowInputs in;
    in.price = view.priceText(row);
    in.notUsed = view.notUsed(row);
    in.caption1 = view.caption1(row);
    in.gradeIndex = view.gradeIndex(row);
    in.caption2 = view.caption2(row);
    return in;
}

}  // namespace stela
