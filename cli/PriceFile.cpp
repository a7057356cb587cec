#include "cli/PriceFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "cli/Csv.h"
#include "cli/InputError.h"
#include "cli/Json.h"

namespace stela::cli {

namespace {

// Far more than five rows take, so a wrong file is refused before it is read whole.
constexpr std::size_t kMaxFileBytes = 1 << 20;

void setRow(RowChanges& rows, int row, const RowChange& change, const std::string& where) {
    if (rows[row]) {
        throw InputError(where + ": row " + std::to_string(row) + " is given twice");
    }
    rows[row] = change;
}

RowChange jsonRow(const JsonValue& item, int& row, const std::string& where) {
    using Kind = JsonValue::Kind;
    if (item.kind != Kind::Object) {
        throw InputError(where + ": a row is not an object");
    }
    const JsonValue* number = item.member("row");
    if (number == nullptr || number->kind != Kind::Number) {
        throw InputError(where + ": \"row\" (a number 1 to 5) is missing");
    }
    row = parseRowNumber(number->text, where + " row");
    const std::string name = where + " row " + std::to_string(row);
    RowChange change;
    for (const auto& [key, value] : item.members) {
        if (key == "row") {
            continue;
        }
        if (key == "price" && (value.kind == Kind::String || value.kind == Kind::Number)) {
            change.price = parsePrice(value.text, name + " price");
        } else if (key == "grade" && (value.kind == Kind::String || value.kind == Kind::Null)) {
            change.gradeIndex =
                value.kind == Kind::Null ? -1 : parseGrade(value.text, name + " grade");
        } else if ((key == "caption1" || key == "caption2") && value.kind == Kind::Bool) {
            (key == "caption1" ? change.caption1 : change.caption2) = value.boolean;
        } else if (key == "price" || key == "grade" || key == "caption1" || key == "caption2") {
            throw InputError(name + ": \"" + key + "\" has the wrong type");
        } else {
            throw InputError(name + ": unknown member \"" + key + "\"");
        }
    }
    return change;
}

// The columns a prices CSV may have.
enum Column { kRow, kPrice, kGrade, kCaption1, kCaption2, kKind, kHalf, kAddress, kValid };
constexpr const char* kColumnNames[] = {"row",  "price", "grade",   "caption1", "caption2",
                                        "kind", "half",  "address", "valid"};

}  // namespace

RowChanges parsePriceJson(std::string_view text) {
    const JsonValue document = parseJson(text);
    if (document.kind != JsonValue::Kind::Object) {
        throw InputError("JSON: expected an object with \"rows\"");
    }
    for (const auto& member : document.members) {
        if (member.first != "rows" && member.first != "port" && member.first != "halves") {
            throw InputError("JSON: unknown member \"" + member.first + "\"");
        }
    }
    const JsonValue* list = document.member("rows");
    if (list == nullptr || list->kind != JsonValue::Kind::Array) {
        throw InputError("JSON: \"rows\" (a list of rows) is missing");
    }
    RowChanges rows;
    for (std::size_t i = 0; i < list->items.size(); ++i) {
        int row = 0;
        const RowChange change = jsonRow(list->items[i], row, "JSON");
        setRow(rows, row, change, "JSON");
    }
    return rows;
}

RowChanges parsePriceCsv(std::string_view text) {
    const std::vector<CsvRecord> records = parseCsv(text);
    if (records.empty()) {
        throw InputError("CSV: empty (expected a header line: row,price,grade,caption1,caption2)");
    }
    std::vector<int> columns;
    for (const std::string& name : records.front()) {
        const auto* known = std::find(std::begin(kColumnNames), std::end(kColumnNames), name);
        if (known == std::end(kColumnNames)) {
            throw InputError("CSV, line 1: unknown column \"" + name + "\"");
        }
        const int column = static_cast<int>(known - std::begin(kColumnNames));
        if (std::count(columns.begin(), columns.end(), column) > 0) {
            throw InputError("CSV, line 1: the column \"" + name + "\" is given twice");
        }
        columns.push_back(column);
    }
    if (std::count(columns.begin(), columns.end(), kRow) == 0) {
        throw InputError("CSV, line 1: the column \"row\" is missing");
    }

    RowChanges rows;
    for (std::size_t line = 1; line < records.size(); ++line) {
        const std::string where = "CSV, line " + std::to_string(line + 1);
        const CsvRecord& record = records[line];
        const auto cell = [&](Column column) -> const std::string* {
            const auto at = std::find(columns.begin(), columns.end(), column);
            return at == columns.end() ? nullptr : &record[at - columns.begin()];
        };
        if (const std::string* kind = cell(kKind)) {
            if (*kind == "half") {
                continue;
            }
            if (*kind != "row") {
                throw InputError(where + ": kind \"" + *kind + "\" is neither row nor half");
            }
        }
        const int row = parseRowNumber(*cell(kRow), where + " row");
        const std::string name = where + " row " + std::to_string(row);
        RowChange change;
        if (const std::string* price = cell(kPrice); price && !price->empty()) {
            change.price = parsePrice(*price, name + " price");
        }
        if (const std::string* grade = cell(kGrade); grade && !grade->empty()) {
            change.gradeIndex = parseGrade(*grade, name + " grade");
        }
        if (const std::string* flag = cell(kCaption1); flag && !flag->empty()) {
            change.caption1 = parseFlag(*flag, name + " caption1");
        }
        if (const std::string* flag = cell(kCaption2); flag && !flag->empty()) {
            change.caption2 = parseFlag(*flag, name + " caption2");
        }
        setRow(rows, row, change, where);
    }
    return rows;
}

RowChanges readPriceFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw InputError("--file " + path + ": " + std::strerror(errno));
    }
    std::string text;
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(file.gcount()));
        if (text.size() > kMaxFileBytes) {
            throw InputError("--file " + path + ": larger than a prices file can be (1 MiB)");
        }
    }
    if (file.bad()) {
        throw InputError("--file " + path + ": cannot be read");
    }
    const auto endsWith = [&](const char* ending) {
        const std::size_t n = std::strlen(ending);
        return path.size() >= n && path.compare(path.size() - n, n, ending) == 0;
    };
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const bool json = endsWith(".json") ||
                      (!endsWith(".csv") && first != std::string::npos && text[first] == '{');
    try {
        return json ? parsePriceJson(text) : parsePriceCsv(text);
    } catch (const InputError& error) {
        throw InputError("--file " + path + ": " + error.what());
    }
}

}  // namespace stela::cli
