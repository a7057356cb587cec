#pragma once

#include <string>

#include "cli/CliView.h"

namespace stela::cli {

enum class Format { Text, Json, Csv };

// What a read shows, in `format`: the ten halves (row, half, address, price
// as shown, grade, caption flags, valid or not), top row first, then the five
// rows as the grid holds them. The JSON and CSV forms read back as a prices
// file (PriceFile.h).
std::string formatReadout(const CliView& view, const std::string& port, Format format);

// "row 3, second half (address 10)"
std::string halfName(int row, Half half);

}  // namespace stela::cli
