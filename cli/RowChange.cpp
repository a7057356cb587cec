#include "cli/RowChange.h"

#include <algorithm>

#include "cli/CliText.h"
#include "cli/InputError.h"
#include "cli/Utf8.h"

namespace stela::cli {

namespace {

bool isDigits(std::string_view text, std::size_t minimum, std::size_t maximum) {
    return text.size() >= minimum && text.size() <= maximum &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ASCII and the Russian alphabet's capitals in UTF-8 (a Russian Excel writes
// ИСТИНА); other bytes stay as they are.
std::string lower(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        const auto next = i + 1 < out.size() ? static_cast<unsigned char>(out[i + 1]) : 0;
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xD0 && next >= 0x90 && next <= 0x9F) {  // А..П
            out[++i] = static_cast<char>(next + 0x20);
        } else if (c == 0xD0 && next >= 0xA0 && next <= 0xAF) {  // Р..Я
            out[i] = '\xD1';
            out[++i] = static_cast<char>(next - 0x20);
        }
    }
    return out;
}

}  // namespace

std::string quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::size_t cut = std::min(text.size(), kShown);
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;  // not inside a character
    }
    return "\"" + escapedText(text.substr(0, cut)) + (cut < text.size() ? "...\"" : "\"");
}

PriceRowInputs RowChange::appliedTo(PriceRowInputs row) const {
    if (price) {
        row.priceText = *price;
        row.notUsed = *price == kNotUsedPrice;
    }
    if (gradeIndex) {
        row.gradeIndex = *gradeIndex;
    }
    if (caption1) {
        row.caption1 = *caption1;
    }
    if (caption2) {
        row.caption2 = *caption2;
    }
    return row;
}

std::string parsePrice(std::string_view text, const std::string& what) {
    if (text == kNotUsedPrice || text == "unused") {
        return kNotUsedPrice;
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view cents =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const bool fits =
        isDigits(whole, 1, 2) && (point == std::string_view::npos || isDigits(cents, 1, 2));
    if (!fits) {
        throw InputError(translateCli("%1: %2 does not fit 99.99 (give 0.00 to 99.99, or unused)",
                                      {what, quoted(text)}));
    }
    std::string out = whole.size() == 1 ? "0" : "";
    out += whole;
    out += '.';
    out += cents;
    out.append(5 - out.size(), '0');
    return out;
}

int parseGrade(std::string_view text, const std::string& what) {
    if (text == "none") {
        return -1;
    }
    if (lower(text) == "dt") {
        return 4;
    }
    for (std::size_t i = 0; i < kGradeNames.size(); ++i) {
        if (text == kGradeNames[i]) {
            return static_cast<int>(i);
        }
    }
    throw InputError(
        translateCli("%1: %2 is no grade (80, 92, 95, 98, ДТ or none)", {what, quoted(text)}));
}

bool parseFlag(std::string_view text, const std::string& what) {
    const std::string word = lower(text);
    for (const char* yes : {"1", "yes", "on", "true", "да", "истина"}) {
        if (word == yes) {
            return true;
        }
    }
    for (const char* no : {"0", "no", "off", "false", "нет", "ложь"}) {
        if (word == no) {
            return false;
        }
    }
    throw InputError(
        translateCli("%1: %2 is neither yes nor no (1/0, on/off)", {what, quoted(text)}));
}

int parseRowNumber(std::string_view text, const std::string& what) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kRows) {
        throw InputError(
            translateCli("%1: %2 is no row (1 to 5, from the top)", {what, quoted(text)}));
    }
    return text[0] - '0';
}

void parseRowOption(std::string_view text, RowChanges& rows) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        throw InputError(
            translateCli("--row %1: expected ROW=PRICE, e.g. --row 1=45.67", {quoted(text)}));
    }
    const int row = parseRowNumber(text.substr(0, equals), "--row");
    const std::string name = "--row " + std::to_string(row);
    if (rows[row]) {
        throw InputError(translateCli("%1 is given twice", {name}));
    }
    RowChange change;
    std::string_view rest = text.substr(equals + 1);
    for (bool first = true;; first = false) {
        std::size_t comma = rest.find(',');
        const std::string_view field = rest.substr(0, comma);
        const std::size_t eq = field.find('=');
        const std::string key(eq == std::string_view::npos ? std::string_view()
                                                           : field.substr(0, eq));
        const std::string_view value = eq == std::string_view::npos ? field : field.substr(eq + 1);
        if (eq == std::string_view::npos
                ? !first
                : key != "price" && key != "grade" && key != "caption1" && key != "caption2") {
            throw InputError(translateCli("%1: %2 is not price=, grade=, caption1= or caption2=",
                                          {name, quoted(field)}));
        }
        const std::string fieldName = key.empty() ? "price" : key;
        const bool seen =
            (key == "grade" && change.gradeIndex) || (key == "caption1" && change.caption1) ||
            (key == "caption2" && change.caption2) || (fieldName == "price" && change.price);
        if (seen) {
            throw InputError(translateCli("%1 is given twice", {name + " " + fieldName}));
        }
        const std::string what = name + " " + fieldName;
        if (fieldName == "price") {
            std::string price(value);
            // A decimal comma, as a spreadsheet writes it (45,67): the digits
            // after it make no field of their own, so they cannot mean another.
            const std::size_t nextComma =
                comma == std::string_view::npos ? comma : rest.find(',', comma + 1);
            const std::string_view next = comma == std::string_view::npos
                                              ? std::string_view()
                                              : rest.substr(comma + 1, nextComma - comma - 1);
            if (isDigits(value, 1, 2) && isDigits(next, 1, 2)) {
                price += "." + std::string(next);
                comma = nextComma;
            }
            change.price = parsePrice(price, what);
        } else if (key == "grade") {
            change.gradeIndex = parseGrade(value, what);
        } else if (key == "caption1") {
            change.caption1 = parseFlag(value, what);
        } else {
            change.caption2 = parseFlag(value, what);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        rest = rest.substr(comma + 1);
    }
    rows[row] = change;
}

std::string gradeName(int gradeIndex) {
    return gradeIndex >= 0 && gradeIndex < static_cast<int>(kGradeNames.size())
               ? kGradeNames[gradeIndex]
               : "none";
}

}  // namespace stela::cli
