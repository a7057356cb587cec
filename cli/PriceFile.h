#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "cli/Environment.h"
#include "cli/RowChange.h"

namespace stela::cli {

// Prices files for `stela-cli write --file`, read and checked whole before
// anything is sent; every fault throws InputError naming the row or line.
// What `stela-cli read` prints in the same format reads back as the rows it
// shows, unless it marks a row invalid: such a row is refused, as is a null in
// a row, since the read could not tell what the sign holds there.
//
// JSON: {"rows": [{"row": 1, "price": "45.67", "grade": "95", "caption1": true,
//                  "caption2": false}, ...]}
//   "row" is required; the others may be left out (the sign's value is kept).
//   A price may be a string or a number; "valid" may be true. The read's
//   "port" and "halves" are allowed beside "rows".
// CSV: a header line naming the columns, among row, price, grade, caption1 and
//   caption2 ("row" required), then one line per row; an empty cell keeps the
//   sign's value. The read's columns kind, half, address, state and valid are
//   allowed. With ';' or tab separators a price may have a decimal comma
//   (45,67). As a spreadsheet saves: blanks around a cell, unnamed empty
//   columns at the end and lines with every cell empty are left out.
// A write takes rows only, so a half (a "halves" item, a line whose kind is
// "half") of a row given must say what its row says wherever it says anything
// (a null, an empty cell, says nothing; the state "unused" says "--.--"): a
// half edited and its row not, or the other way round, is refused by the
// half's name. The halves of a row left out are not looked at.
// A UTF-8 byte-order mark at the start is skipped.
RowChanges parsePriceJson(std::string_view text);
RowChanges parsePriceCsv(std::string_view text);

// The file at `path`, or env.in for "-". JSON by the name's ending (.json),
// CSV by .csv, else by the first character that is not white space ('{' for
// JSON). Its text is taken in `encoding` (--encoding) when given; a file that
// is not UTF-8 is otherwise taken as decodeFileText says, in the terminal's
// charset (env.charset) or CP1251, and a line on env.err says which.
RowChanges readPriceFile(const std::string& path, const std::string& encoding,
                         const Environment& env);

}  // namespace stela::cli
