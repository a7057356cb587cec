#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stela::cli {

struct CsvRecord {
    std::vector<std::string> fields;
    int line = 0;  // where the record starts (1: the first line)

    friend bool operator==(const CsvRecord& a, const CsvRecord& b) { return a.fields == b.fields; }
};

struct CsvTable {
    char separator = ',';
    std::vector<CsvRecord> records;
};

// Strict RFC 4180 CSV: fields separated by commas, records by LF or CRLF, a
// field in double quotes may hold separators, line ends and doubled quotes.
// The separator is ';' where the first line has a ';' and no ',' (what a
// spreadsheet in a Russian locale saves), a tab where it has a tab and
// neither (Excel's "Unicode text"). Every record has as many fields as
// the first; valid UTF-8 only, a UTF-8 byte-order mark ahead of it is
// skipped; a line end after the last record is optional and blank lines are
// refused. Throws InputError naming the line.
CsvTable parseCsv(std::string_view text);

// A field as written: quoted when it holds the separator, a quote, a line end
// or surrounding blanks, or starts with a byte-order mark.
std::string csvField(std::string_view text, char separator = ',');
// The fields of one record, comma-separated (or by `separator`), and its line
// end ("\n").
std::string csvLine(const std::vector<std::string>& fields, char separator = ',');

inline constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace stela::cli
