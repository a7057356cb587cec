#pragma once

#include <string>
#include <string_view>

#include "cli/RowChange.h"

namespace stela::cli {

// Prices files for `stela-cli write --file`, read and checked whole before
// anything is sent; every fault throws InputError. What `stela-cli read`
// prints in the same format reads back as the rows it shows.
//
// JSON: {"rows": [{"row": 1, "price": "45.67", "grade": "95", "caption1": true,
//                  "caption2": false}, ...]}
//   "row" is required; the others may be left out (the sign's value is kept).
//   A price may be a string or a number, "grade" null for none. The read's
//   "port" and "halves" are allowed beside "rows" and ignored.
// CSV: a header line naming the columns, among row, price, grade, caption1 and
//   caption2 ("row" required), then one line per row; an empty cell keeps the
//   sign's value. The read's columns kind, half, address and valid are allowed;
//   lines whose kind is "half" are skipped.
RowChanges parsePriceJson(std::string_view text);
RowChanges parsePriceCsv(std::string_view text);

// By the name's ending (.json, .csv), else by the first character that is not
// white space ('{' for JSON).
RowChanges readPriceFile(const std::string& path);

}  // namespace stela::cli
