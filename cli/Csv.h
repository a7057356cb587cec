#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stela::cli {

using CsvRecord = std::vector<std::string>;

// Strict RFC 4180 CSV: fields separated by commas, records by LF or CRLF, a
// field in double quotes may hold commas, line ends and doubled quotes. Every
// record has as many fields as the first; valid UTF-8 only; a line end after
// the last record is optional and blank lines are refused. Throws InputError
// naming the line.
std::vector<CsvRecord> parseCsv(std::string_view text);

// A field as written: quoted when it holds a comma, a quote, a line end or
// surrounding blanks.
std::string csvField(std::string_view text);
// The fields of one record and its line end ("\n").
std::string csvLine(const CsvRecord& fields);

}  // namespace stela::cli
