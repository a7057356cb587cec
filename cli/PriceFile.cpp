#include "cli/PriceFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "cli/CliText.h"
#include "cli/Csv.h"
#include "cli/FileText.h"
#include "cli/InputError.h"
#include "cli/Json.h"
#include "cli/Utf8.h"
#include "os/Utf8Path.h"

namespace stela::cli {

namespace {

// Far more than five rows take, so a wrong file is refused before it is read whole.
constexpr std::size_t kMaxFileBytes = 1 << 20;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

void setRow(RowChanges& rows, int row, const RowChange& change, const std::string& where) {
    if (rows[row]) {
        throw InputError(translateCli("%1: row %2 is given twice", {where, std::to_string(row)}));
    }
    rows[row] = change;
}

[[noreturn]] void refuseInvalidRow(const std::string& name) {
    throw InputError(translateCli(
        "%1 is marked invalid: its halves were not both read, or differ. Give its values, "
        "or leave it out to keep what the sign holds",
        {name}));
}

// A half line of a read's file, and what it says the half holds: checked
// against its row's line, which is what a write takes.
struct HalfLine {
    std::string where;  // "CSV, line 3", "JSON, halves item 3"
    int row = 0;
    RowChange says;
};

// The price, grade and caption flags of a rows or halves item. A null is
// refused in a row (the read could not tell it), and in a half says nothing.
RowChange jsonValues(const JsonValue& item, const std::string& name, bool nullsRefused) {
    using Kind = JsonValue::Kind;
    RowChange change;
    for (const auto& [key, value] : item.members) {
        if (key != "price" && key != "grade" && key != "caption1" && key != "caption2") {
            continue;
        }
        const std::string what = name + ", " + key;
        if (value.kind == Kind::Null) {
            if (nullsRefused) {
                throw InputError(translateCli(
                    "%1 is null: the read could not tell it. Give a value, or leave it out to "
                    "keep what the sign holds",
                    {what}));
            }
            continue;
        }
        if (key == "price") {
            if (value.kind != Kind::String && value.kind != Kind::Number) {
                throw InputError(translateCli("%1 must be a string or a number", {what}));
            }
            change.price = parsePrice(value.text, what);
        } else if (key == "grade") {
            if (value.kind != Kind::String) {
                throw InputError(translateCli("%1 must be a string", {what}));
            }
            change.gradeIndex = parseGrade(value.text, what);
        } else {
            if (value.kind != Kind::Bool) {
                throw InputError(translateCli("%1 must be true or false", {what}));
            }
            (key == "caption1" ? change.caption1 : change.caption2) = value.boolean;
        }
    }
    return change;
}

int jsonRowNumber(const JsonValue& item, const std::string& where) {
    using Kind = JsonValue::Kind;
    if (item.kind != Kind::Object) {
        throw InputError(translateCli("%1 is not an object", {where}));
    }
    const JsonValue* number = item.member("row");
    if (number == nullptr) {
        throw InputError(translateCli("%1: \"row\" (a number 1 to 5) is missing", {where}));
    }
    if (number->kind != Kind::Number) {
        throw InputError(translateCli("%1: row must be a number", {where}));
    }
    return parseRowNumber(number->text, where + ", row");
}

RowChange jsonRow(const JsonValue& item, std::size_t index, int& row) {
    using Kind = JsonValue::Kind;
    row = jsonRowNumber(item, translateCli("JSON, rows item %1", {std::to_string(index + 1)}));
    const std::string name = translateCli("JSON, row %1", {std::to_string(row)});
    if (const JsonValue* valid = item.member("valid")) {
        if (valid->kind != Kind::Bool) {
            throw InputError(translateCli("%1: valid must be true or false", {name}));
        }
        if (!valid->boolean) {
            refuseInvalidRow(name);
        }
    }
    for (const auto& member : item.members) {
        const std::string& key = member.first;
        if (key != "row" && key != "valid" && key != "price" && key != "grade" &&
            key != "caption1" && key != "caption2") {
            throw InputError(translateCli("%1: unknown member %2", {name, quoted(key)}));
        }
    }
    return jsonValues(item, name, true);
}

// A panel the read found without a price says so by its state alone.
void takeUnusedState(std::string_view state, RowChange& says) {
    if (state == "unused" && !says.price) {
        says.price = kNotUsedPrice;
    }
}

HalfLine jsonHalf(const JsonValue& item, std::size_t index) {
    HalfLine half;
    half.where = translateCli("JSON, halves item %1", {std::to_string(index + 1)});
    half.row = jsonRowNumber(item, half.where);
    half.says = jsonValues(item, half.where, false);
    if (const JsonValue* state = item.member("state");
        state && state->kind == JsonValue::Kind::String) {
        takeUnusedState(state->text, half.says);
    }
    return half;
}

// A half whose line says other than its row's: the technician edited one and
// not the other, and a write would send the row's values over the edit. The
// halves of a row left out say what the sign keeps.
void checkHalvesAgree(const std::vector<HalfLine>& halves, const RowChanges& rows,
                      const std::array<std::string, kRows + 1>& rowWhere) {
    for (const HalfLine& half : halves) {
        if (!rows[half.row]) {
            continue;
        }
        const RowChange& r = *rows[half.row];
        const RowChange& h = half.says;
        const char* field = h.price && h.price != r.price                  ? "price"
                            : h.gradeIndex && h.gradeIndex != r.gradeIndex ? "grade"
                            : h.caption1 && h.caption1 != r.caption1       ? "caption1"
                            : h.caption2 && h.caption2 != r.caption2       ? "caption2"
                                                                           : nullptr;
        if (field != nullptr) {
            throw InputError(translateCli(
                "%1: its %2 is not what row %3 says (%4); a write takes the row's values, never "
                "a half's: give both the same, or remove the half",
                {half.where, field, std::to_string(half.row), rowWhere[half.row]}));
        }
    }
}

// Blanks around a spreadsheet's cell are no part of it.
void trimSpaces(std::string& cell) {
    cell.erase(0, cell.find_first_not_of(' '));
    cell.erase(cell.find_last_not_of(' ') + 1);
}

// The columns a prices CSV may have.
enum Column { kRow, kPrice, kGrade, kCaption1, kCaption2, kKind, kHalf, kAddress, kState, kValid };
constexpr const char* kColumnNames[] = {"row",  "price", "grade",   "caption1", "caption2",
                                        "kind", "half",  "address", "state",    "valid"};

}  // namespace

RowChanges parsePriceJson(std::string_view text) {
    const JsonValue document = parseJson(text);
    if (document.kind != JsonValue::Kind::Object) {
        throw InputError(translateCli("JSON: expected an object with \"rows\""));
    }
    for (const auto& member : document.members) {
        if (member.first != "rows" && member.first != "port" && member.first != "halves") {
            throw InputError(translateCli("JSON: unknown member %1", {quoted(member.first)}));
        }
    }
    const JsonValue* list = document.member("rows");
    if (list == nullptr) {
        throw InputError(translateCli("JSON: \"rows\" (a list of rows) is missing"));
    }
    if (list->kind != JsonValue::Kind::Array) {
        throw InputError(translateCli("JSON: rows must be a list"));
    }
    RowChanges rows;
    std::array<std::string, kRows + 1> rowWhere;
    for (std::size_t i = 0; i < list->items.size(); ++i) {
        int row = 0;
        const RowChange change = jsonRow(list->items[i], i, row);
        setRow(rows, row, change, "JSON");
        rowWhere[row] = translateCli("rows item %1", {std::to_string(i + 1)});
    }
    std::vector<HalfLine> halves;
    if (const JsonValue* read = document.member("halves")) {
        if (read->kind != JsonValue::Kind::Array) {
            throw InputError(translateCli("JSON: halves must be a list"));
        }
        for (std::size_t i = 0; i < read->items.size(); ++i) {
            halves.push_back(jsonHalf(read->items[i], i));
        }
    }
    checkHalvesAgree(halves, rows, rowWhere);
    return rows;
}

RowChanges parsePriceCsv(std::string_view text) {
    const CsvTable table = parseCsv(text);
    const std::vector<CsvRecord>& records = table.records;
    if (records.empty()) {
        throw InputError(
            translateCli("CSV: empty (expected a header line: row,price,grade,caption1,caption2)"));
    }
    const std::string header = translateCli("CSV, line %1", {std::to_string(records[0].line)});
    // A spreadsheet pads its lines to the widest it holds: unnamed columns at
    // the end are left out, when empty.
    std::vector<std::string> names = records.front().fields;
    std::for_each(names.begin(), names.end(), trimSpaces);
    while (names.size() > 1 && names.back().empty()) {
        names.pop_back();
    }
    std::vector<int> columns;
    for (const std::string& name : names) {
        const auto* known = std::find(std::begin(kColumnNames), std::end(kColumnNames), name);
        if (known == std::end(kColumnNames)) {
            throw InputError(translateCli("%1: unknown column %2", {header, quoted(name)}));
        }
        const int column = static_cast<int>(known - std::begin(kColumnNames));
        if (std::count(columns.begin(), columns.end(), column) > 0) {
            throw InputError(
                translateCli("%1: the column %2 is given twice", {header, quoted(name)}));
        }
        columns.push_back(column);
    }
    if (std::count(columns.begin(), columns.end(), kRow) == 0) {
        throw InputError(translateCli("%1: the column \"row\" is missing", {header}));
    }

    RowChanges rows;
    std::array<std::string, kRows + 1> rowWhere;
    std::vector<HalfLine> halves;
    for (std::size_t i = 1; i < records.size(); ++i) {
        CsvRecord record = records[i];
        std::for_each(record.fields.begin(), record.fields.end(), trimSpaces);
        const std::string line = std::to_string(record.line);
        const std::string where = translateCli("CSV, line %1", {line});
        const auto filled = [](const std::string& field) { return !field.empty(); };
        if (std::none_of(record.fields.begin(), record.fields.end(), filled)) {
            continue;  // a spreadsheet's empty line
        }
        if (std::any_of(record.fields.begin() + columns.size(), record.fields.end(), filled)) {
            throw InputError(translateCli("%1: a value under no column name", {where}));
        }
        const auto column = [&](Column which) -> const std::string* {
            const auto at = std::find(columns.begin(), columns.end(), which);
            return at == columns.end() ? nullptr : &record.fields[at - columns.begin()];
        };
        const auto cell = [&](Column which) -> const std::string* {
            const std::string* given = column(which);
            return given && !given->empty() ? given : nullptr;  // an empty cell says nothing
        };
        bool half = false;
        if (const std::string* kind = column(kKind)) {
            half = *kind == "half";
            if (!half && *kind != "row") {
                throw InputError(
                    translateCli("%1: kind %2 is neither row nor half", {where, quoted(*kind)}));
            }
        }
        const int row = parseRowNumber(*column(kRow), where + ", row");
        const std::string name =
            half ? where : translateCli("CSV, line %1, row %2", {line, std::to_string(row)});
        if (const std::string* valid = cell(kValid); valid && !half) {
            if (!parseFlag(*valid, name + ", valid")) {
                refuseInvalidRow(name);
            }
        }
        RowChange change;
        if (const std::string* price = cell(kPrice)) {
            std::string written = *price;
            if (table.separator != ',') {
                std::replace(written.begin(), written.end(), ',', '.');  // a decimal comma
            }
            change.price = parsePrice(written, name + ", price");
        }
        if (const std::string* grade = cell(kGrade)) {
            change.gradeIndex = parseGrade(*grade, name + ", grade");
        }
        if (const std::string* flag = cell(kCaption1)) {
            change.caption1 = parseFlag(*flag, name + ", caption1");
        }
        if (const std::string* flag = cell(kCaption2)) {
            change.caption2 = parseFlag(*flag, name + ", caption2");
        }
        if (half) {
            if (const std::string* state = cell(kState)) {
                takeUnusedState(*state, change);
            }
            halves.push_back({where, row, change});
            continue;
        }
        setRow(rows, row, change, where);
        rowWhere[row] = translateCli("line %1", {line});
    }
    checkHalvesAgree(halves, rows, rowWhere);
    return rows;
}

RowChanges readPriceFile(const std::string& path, const std::string& encoding,
                         const Environment& env) {
    const std::string shownPath = escapedText(path);
    std::ifstream file;
    std::istream* in = env.in;
    if (path != "-") {
        openUtf8(file, path, std::ios::binary);
        if (!file) {
            throw InputError(translateCli("--file %1: %2", {shownPath, errnoMeaning(errno)}));
        }
        in = &file;
    }
    std::string text;
    char chunk[4096];
    while (in->read(chunk, sizeof chunk) || in->gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in->gcount()));
        if (text.size() > kMaxFileBytes) {
            throw InputError(
                translateCli("--file %1: larger than a prices file can be (1 MiB)", {shownPath}));
        }
    }
    if (in->bad()) {
        throw InputError(translateCli("--file %1: cannot be read", {shownPath}));
    }
    try {
        FileText decoded = decodeFileText(text, encoding, env.charset);
        text = std::move(decoded.utf8);
        if (!decoded.readAs.empty()) {
            *env.err << "stela-cli: "
                     << translateCli("--file %1: not UTF-8; read as %2",
                                     {shownPath, decoded.readAs})
                     << "\n";
        }
    } catch (const InputError& error) {
        throw InputError(translateCli("--file %1: %2", {shownPath, error.what()}));
    }
    const auto endsWith = [&](const char* ending) {
        const std::size_t n = std::strlen(ending);
        return path.size() >= n && path.compare(path.size() - n, n, ending) == 0;
    };
    const std::string_view body = std::string_view(text).substr(
        text.rfind(kByteOrderMark, 0) == 0 ? kByteOrderMark.size() : 0);
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    const bool json = endsWith(".json") ||
                      (!endsWith(".csv") && first != std::string::npos && body[first] == '{');
    try {
        return json ? parsePriceJson(text) : parsePriceCsv(text);
    } catch (const InputError& error) {
        throw InputError(translateCli("--file %1: %2", {shownPath, error.what()}));
    }
}

}  // namespace stela::cli
