#include "cli/Readout.h"

#include <iterator>
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/CliText.h"
#include "cli/Csv.h"
#include "cli/RowChange.h"

namespace stela::cli {

namespace {

constexpr Half kHalves[] = {Half::First, Half::Second};

const char* halfWord(Half half) {
    return half == Half::First ? "first" : "second";
}

bool sameContent(const ReadReply& a, const ReadReply& b) {
    return a.price == b.price && a.grade == b.grade && a.captions == b.captions;
}

std::string rowPrice(const ReadReply& reply) {
    return reply.price == "----" ? "unused" : reply.priceText();
}

// Text output ---------------------------------------------------------------

std::string yesNo(bool value) {
    return value ? translateCli("yes") : translateCli("no");
}

// The cells of a table, each column as wide as its widest cell (in
// characters: "ДТ" takes two places) and two blanks apart.
std::string table(const std::vector<std::vector<std::string>>& rows) {
    const auto width = [](const std::string& cell) {
        std::size_t length = 0;
        for (unsigned char c : cell) {
            length += (c & 0xC0) != 0x80;
        }
        return length;
    };
    std::vector<std::size_t> widths;
    for (const auto& cells : rows) {
        widths.resize(std::max(widths.size(), cells.size()));
        for (std::size_t i = 0; i < cells.size(); ++i) {
            widths[i] = std::max(widths[i], width(cells[i]));
        }
    }
    std::string out;
    for (const auto& cells : rows) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            out += cells[i];
            if (i + 1 < cells.size()) {
                out.append(widths[i] - width(cells[i]) + 2, ' ');
            }
        }
        out += '\n';
    }
    return out;
}

// Each state: its word in JSON and CSV, its text in the text output, and why a
// half in it failed.
struct StateNames {
    HalfVerdict state;
    const char* word;
    const char* text;
    const char* failure;
};
constexpr StateNames kStates[] = {
    {HalfVerdict::Answered, "ok", markCli("ok"), ""},
    {HalfVerdict::Unused, "unused", markCli("unused"), ""},
    {HalfVerdict::BadChecksum, "bad-checksum", markCli("bad checksum"),
     markCli("the reply's checksum did not match in 7 passes")},
    {HalfVerdict::WrongAddress, "wrong-address", markCli("wrong address"),
     markCli("wrong address in the reply")},
    {HalfVerdict::NotAPrice, "not-a-price", markCli("not a price"),
     markCli("the reply holds no price")},
    {HalfVerdict::NotRead, "not-read", markCli("not read"),
     markCli("not read: the time limit left no time for it")},
    {HalfVerdict::NoReply, "no-reply", markCli("no reply"),
     markCli("no complete reply in 7 passes")},
};

const StateNames& namesOf(HalfVerdict state) {
    for (const StateNames& names : kStates) {
        if (names.state == state) {
            return names;
        }
    }
    return kStates[std::size(kStates) - 1];
}

// As the window's read-back label shows the half.
std::string labelText(const HalfRead& half) {
    return half.reply.framed ? half.reply.priceText() : "XX.XX";
}

std::string stateText(HalfVerdict state) {
    return translateCli(namesOf(state).text);
}

std::string text(const ReadOutcome& outcome, const std::string& port) {
    const std::string none = "-";
    std::vector<std::vector<std::string>> halves{{translateCli("Row"), translateCli("Half"),
                                                  translateCli("Address"), translateCli("Price"),
                                                  translateCli("Grade"), translateCli("Caption1"),
                                                  translateCli("Caption2"), translateCli("State")}};
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : kHalves) {
            const HalfRead& label = outcome.at(row, half);
            const ReadReply& r = label.reply;
            const bool read = label.valid();
            halves.push_back({std::to_string(row),
                              half == Half::First ? translateCli("first") : translateCli("second"),
                              std::to_string(halfAddress(row, half)), labelText(label),
                              read ? gradeName(r.gradeIndex()) : none,
                              read ? yesNo(r.caption1()) : none, read ? yesNo(r.caption2()) : none,
                              stateText(label.verdict)});
        }
    }
    std::vector<std::vector<std::string>> rows{{translateCli("Row"), translateCli("Price"),
                                                translateCli("Grade"), translateCli("Caption1"),
                                                translateCli("Caption2"), translateCli("Valid")}};
    for (int row = 1; row <= kRows; ++row) {
        const RowReadout r = rowReadout(outcome, row);
        rows.push_back({std::to_string(row),
                        r.price ? (*r.price == "unused" ? kNotUsedPrice : *r.price) : none,
                        r.gradeIndex ? gradeName(*r.gradeIndex) : none,
                        r.caption1 ? yesNo(*r.caption1) : none,
                        r.caption2 ? yesNo(*r.caption2) : none, yesNo(r.valid)});
    }
    return translateCli("Port %1", {port}) + "\n\n" + table(halves) + "\n" + table(rows);
}

// JSON output ---------------------------------------------------------------

using Json = nlohmann::ordered_json;

template <typename T, typename F>
Json orNull(const std::optional<T>& value, F&& convert) {
    return value ? Json(convert(*value)) : Json(nullptr);
}

std::string json(const ReadOutcome& outcome, const std::string& port, bool ascii) {
    Json halves = Json::array();
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : kHalves) {
            const HalfRead& label = outcome.at(row, half);
            const ReadReply& r = label.reply;
            const bool read = label.valid();
            halves.push_back({
                {"row", row},
                {"half", halfWord(half)},
                {"address", halfAddress(row, half)},
                {"state", stateWord(label.verdict)},
                {"price",
                 label.verdict == HalfVerdict::Answered ? Json(r.priceText()) : Json(nullptr)},
                {"grade", read ? Json(gradeName(r.gradeIndex())) : Json(nullptr)},
                {"caption1", read ? Json(r.caption1()) : Json(nullptr)},
                {"caption2", read ? Json(r.caption2()) : Json(nullptr)},
            });
        }
    }
    Json rows = Json::array();
    for (int row = 1; row <= kRows; ++row) {
        const RowReadout r = rowReadout(outcome, row);
        const auto same = [](auto value) { return value; };
        rows.push_back({
            {"row", row},
            {"valid", r.valid},
            {"price", orNull(r.price, same)},
            {"grade", orNull(r.gradeIndex, gradeName)},
            {"caption1", orNull(r.caption1, same)},
            {"caption2", orNull(r.caption2, same)},
        });
    }
    // One half or row a line, so that a row is edited on its line.
    const auto dumped = [ascii](const Json& value) {
        return value.dump(-1, ' ', ascii, Json::error_handler_t::replace);
    };
    const auto lines = [&dumped](const Json& items) {
        std::string out;
        for (const Json& item : items) {
            out += (out.empty() ? "    " : ",\n    ") + dumped(item);
        }
        return out;
    };
    return "{\n  \"port\": " + dumped(port) + ",\n  \"halves\": [\n" + lines(halves) +
           "\n  ],\n  \"rows\": [\n" + lines(rows) + "\n  ]\n}\n";
}

// CSV output ----------------------------------------------------------------

std::string flag(bool value) {
    return value ? "1" : "0";
}

std::string csv(const ReadOutcome& outcome) {
    std::string out = csvLine({"kind", "row", "half", "address", "state", "price", "grade",
                               "caption1", "caption2", "valid"});
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : kHalves) {
            const HalfRead& label = outcome.at(row, half);
            const ReadReply& r = label.reply;
            const bool read = label.valid();
            out += csvLine({"half", std::to_string(row), halfWord(half),
                            std::to_string(halfAddress(row, half)), stateWord(label.verdict),
                            label.verdict == HalfVerdict::Answered ? r.priceText() : "",
                            read ? gradeName(r.gradeIndex()) : "", read ? flag(r.caption1()) : "",
                            read ? flag(r.caption2()) : "", ""});
        }
    }
    for (int row = 1; row <= kRows; ++row) {
        const RowReadout r = rowReadout(outcome, row);
        out += csvLine({"row", std::to_string(row), "", "", "", r.price.value_or(""),
                        r.gradeIndex ? gradeName(*r.gradeIndex) : "",
                        r.caption1 ? flag(*r.caption1) : "", r.caption2 ? flag(*r.caption2) : "",
                        flag(r.valid)});
    }
    return out;
}

}  // namespace

RowReadout rowReadout(const ReadOutcome& outcome, int row) {
    const auto& first = outcome.at(row, Half::First);
    const auto& second = outcome.at(row, Half::Second);
    RowReadout out;
    out.valid = first.valid() && second.valid() && sameContent(first.reply, second.reply);
    // As the window's grid takes them from a read.
    const auto* priceFrom = second.valid() ? &second : first.valid() ? &first : nullptr;
    const auto* marksFrom = first.valid() ? &first : nullptr;
    if (row == kRows && second.valid()) {
        marksFrom = &second;
    }
    if (priceFrom != nullptr) {
        out.price = rowPrice(priceFrom->reply);
    }
    if (marksFrom != nullptr) {
        out.gradeIndex = marksFrom->reply.gradeIndex() >= 0 &&
                                 marksFrom->reply.gradeIndex() < int(kGradeNames.size())
                             ? marksFrom->reply.gradeIndex()
                             : -1;
        out.caption1 = marksFrom->reply.caption1();
        out.caption2 = marksFrom->reply.caption2();
    }
    return out;
}

std::string formatReadout(const ReadOutcome& outcome, const std::string& port, Format format,
                          bool asciiJson) {
    switch (format) {
        case Format::Json:
            return json(outcome, port, asciiJson);
        case Format::Csv:
            return csv(outcome);
        case Format::Text:
        case Format::Prometheus:
            break;
    }
    return text(outcome, port);
}

std::string halfName(int row, Half half) {
    const std::string number = std::to_string(row),
                      address = std::to_string(halfAddress(row, half));
    return half == Half::First
               ? translateCli("row %1, first half (address %2)", {number, address})
               : translateCli("row %1, second half (address %2)", {number, address});
}

const char* stateWord(HalfVerdict state) {
    return namesOf(state).word;
}

std::string failureReason(HalfVerdict state) {
    const char* failure = namesOf(state).failure;
    return *failure == '\0' ? std::string() : translateCli(failure);
}

std::string contentText(const ReadReply& reply) {
    return translateCli("%1, grade %2, caption1 %3, caption2 %4",
                        {reply.priceText(), gradeName(reply.gradeIndex()),
                         reply.caption1() ? translateCli("yes") : translateCli("no"),
                         reply.caption2() ? translateCli("yes") : translateCli("no")});
}

}  // namespace stela::cli
