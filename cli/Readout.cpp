#include "cli/Readout.h"

#include <vector>

#include "cli/Csv.h"
#include "cli/Json.h"
#include "cli/RowChange.h"
#include "console/Console.h"

namespace stela::cli {

namespace {

constexpr Half kHalves[] = {Half::First, Half::Second};

const char* halfWord(Half half) {
    return half == Half::First ? "first" : "second";
}

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

// Columns padded by characters, not bytes: "ДТ" takes two places.
std::string columns(const std::vector<std::string>& cells, const std::vector<std::size_t>& widths) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        out += cells[i];
        if (i + 1 < cells.size()) {
            std::size_t length = 0;
            for (unsigned char c : cells[i]) {
                length += (c & 0xC0) != 0x80;
            }
            out.append(widths[i] > length ? widths[i] - length : 1, ' ');
        }
    }
    return out + "\n";
}

std::string text(const CliView& view, const std::string& port) {
    const std::vector<std::size_t> halfWidths{5, 8, 9, 7, 7, 10, 10};
    std::string out = "Port " + port + "\n\n";
    out += columns({"Row", "Half", "Address", "Price", "Grade", "Caption1", "Caption2", "Valid"},
                   halfWidths);
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : kHalves) {
            const auto& label = view.readback(row, half);
            const ReadReply& r = label.reply;
            out += columns(
                {std::to_string(row), halfWord(half), std::to_string(halfAddress(row, half)),
                 label.text, label.valid ? gradeName(r.gradeIndex()) : "-",
                 label.valid ? yesNo(r.caption1()) : "-", label.valid ? yesNo(r.caption2()) : "-",
                 yesNo(label.valid)},
                halfWidths);
        }
    }
    const std::vector<std::size_t> rowWidths{5, 7, 7, 10};
    out += "\n" + columns({"Row", "Price", "Grade", "Caption1", "Caption2"}, rowWidths);
    for (int row = 1; row <= kRows; ++row) {
        const CliView::Row& r = view.row(row);
        out += columns({std::to_string(row), r.price, gradeName(r.gradeIndex), yesNo(r.caption1),
                        yesNo(r.caption2)},
                       rowWidths);
    }
    return out;
}

JsonValue jsonGrade(int index) {
    return index >= 0 && index < int(kGradeNames.size()) ? JsonValue::string(kGradeNames[index])
                                                         : JsonValue::null();
}

std::string json(const CliView& view, const std::string& port) {
    JsonValue document = JsonValue::object();
    document.add("port", JsonValue::string(port));
    JsonValue& halves = document.add("halves", JsonValue::array());
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : kHalves) {
            const auto& label = view.readback(row, half);
            const ReadReply& r = label.reply;
            JsonValue item = JsonValue::object();
            item.add("row", JsonValue::number(std::to_string(row)));
            item.add("half", JsonValue::string(halfWord(half)));
            item.add("address", JsonValue::number(std::to_string(halfAddress(row, half))));
            item.add("price", JsonValue::string(label.text));
            item.add("grade", label.valid ? jsonGrade(r.gradeIndex()) : JsonValue::null());
            item.add("caption1", label.valid ? JsonValue::from(r.caption1()) : JsonValue::null());
            item.add("caption2", label.valid ? JsonValue::from(r.caption2()) : JsonValue::null());
            item.add("valid", JsonValue::from(label.valid));
            halves.items.push_back(std::move(item));
        }
    }
    JsonValue& rows = document.add("rows", JsonValue::array());
    for (int row = 1; row <= kRows; ++row) {
        const CliView::Row& r = view.row(row);
        JsonValue item = JsonValue::object();
        item.add("row", JsonValue::number(std::to_string(row)));
        item.add("price", JsonValue::string(r.price));
        item.add("grade", jsonGrade(r.gradeIndex));
        item.add("caption1", JsonValue::from(r.caption1));
        item.add("caption2", JsonValue::from(r.caption2));
        rows.items.push_back(std::move(item));
    }
    return toJson(document, 2) + "\n";
}

std::string flag(bool value) {
    return value ? "1" : "0";
}

std::string csv(const CliView& view) {
    std::string out = csvLine(
        {"kind", "row", "half", "address", "price", "grade", "caption1", "caption2", "valid"});
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : kHalves) {
            const auto& label = view.readback(row, half);
            const ReadReply& r = label.reply;
            out += csvLine({"half", std::to_string(row), halfWord(half),
                            std::to_string(halfAddress(row, half)), label.text,
                            label.valid ? gradeName(r.gradeIndex()) : "",
                            label.valid ? flag(r.caption1()) : "",
                            label.valid ? flag(r.caption2()) : "", flag(label.valid)});
        }
    }
    for (int row = 1; row <= kRows; ++row) {
        const CliView::Row& r = view.row(row);
        out += csvLine({"row", std::to_string(row), "", "", r.price, gradeName(r.gradeIndex),
                        flag(r.caption1), flag(r.caption2), ""});
    }
    return out;
}

}  // namespace

std::string formatReadout(const CliView& view, const std::string& port, Format format) {
    switch (format) {
        case Format::Json:
            return json(view, port);
        case Format::Csv:
            return csv(view);
        case Format::Text:
            break;
    }
    return text(view, port);
}

std::string halfName(int row, Half half) {
    return "row " + std::to_string(row) + ", " + halfWord(half) + " half (address " +
           std::to_string(halfAddress(row, half)) + ")";
}

}  // namespace stela::cli
