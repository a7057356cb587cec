#include "cli/CheckOutput.h"

#include <algorithm>
#include <cstdio>

namespace stela::cli {

namespace {

const char* statusWord(CheckStatus status) {
    switch (status) {
        case CheckStatus::Ok:
            return "OK";
        case CheckStatus::Warning:
            return "WARNING";
        case CheckStatus::Critical:
            return "CRITICAL";
        case CheckStatus::Unknown:
            break;
    }
    return "UNKNOWN";
}

// A '|' would start the performance data early; a port name or a path may hold one.
std::string withoutBar(std::string text) {
    for (std::size_t at; (at = text.find('|')) != std::string::npos;) {
        text.replace(at, 1, "¦");
    }
    return text;
}

// Milliseconds as seconds with `decimals` places; the C library's numbers keep
// the C locale's point here (only LC_CTYPE and LC_MESSAGES follow the user's).
std::string seconds(long long ms, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(ms) / 1000.0);
    return text;
}

std::pair<int, int> rowsOkOfDeclared(const CheckResult& result) {
    int ok = 0, declared = 0;
    for (const auto& row : result.rowOk) {
        declared += row.has_value();
        ok += row.value_or(false);
    }
    return {ok, declared};
}

// A label value of the exposition format: backslash, double quote and line end escaped.
std::string labelValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\\' ? "\\\\" : c == '"' ? "\\\"" : c == '\n' ? "\\n" : std::string(1, c);
    }
    return out;
}

// A price as a number ("45.67", "9.99"); NaN for none (a row not in use, "--.--").
std::string priceValue(const std::string& priceText) {
    const bool digits = priceText.size() == 5 && priceText[2] == '.' &&
                        std::all_of(priceText.begin(), priceText.end(),
                                    [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
    return !digits ? "NaN" : priceText[0] == '0' ? priceText.substr(1) : priceText;
}

std::string family(const char* name, const char* help) {
    return std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n";
}

}  // namespace

std::string statusLine(const CheckResult& result) {
    std::string out =
        std::string("STELA ") + statusWord(result.status) + " - " + withoutBar(result.summary);
    if (result.measured) {
        const auto [ok, declared] = rowsOkOfDeclared(result);
        out += " | rows_ok=" + std::to_string(ok) + ";;;0;" + std::to_string(declared) +
               " read_time=" + seconds(result.readMs, 2) + "s;" + result.warning + ";" +
               result.critical + ";0;" + std::to_string(result.timeoutSeconds);
    }
    return out;
}

std::string pluginOutput(const CheckResult& result) {
    std::string out = statusLine(result) + '\n';
    for (const std::string& line : result.details) {
        out += withoutBar(line) + '\n';
    }
    return out;
}

std::string prometheusMetrics(const CheckResult& result) {
    const std::string sign =
        "{station=\"" + labelValue(result.station) + "\",port=\"" + labelValue(result.port) + "\"";
    const auto ofRow = [&sign](int row) { return sign + ",row=\"" + std::to_string(row) + "\""; };
    std::string out =
        family("stela_sign_up", "Whether the price sign answered the last check.") +
        "stela_sign_up" + sign + "} " + (result.answered ? "1" : "0") + "\n" +
        family("stela_sign_check_status",
               "The last check's state: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.") +
        "stela_sign_check_status" + sign + "} " + std::to_string(static_cast<int>(result.status)) +
        "\n" +
        family("stela_sign_read_seconds", "How long the check's read of the ten halves took.") +
        "stela_sign_read_seconds" + sign + "} " + seconds(result.readMs, 3) + "\n" +
        family("stela_sign_row_ok",
               "Whether the price row shows what is expected, both halves alike.");
    for (int row = 1; row <= kRows; ++row) {
        if (result.rowOk[row]) {
            out +=
                "stela_sign_row_ok" + ofRow(row) + "} " + (*result.rowOk[row] ? "1" : "0") + "\n";
        }
    }
    out += family("stela_sign_price_expected",
                  "The price the row is expected to show (NaN: the row is not in use).");
    for (int row = 1; row <= kRows; ++row) {
        if (result.expected[row] && result.expected[row]->price) {
            out += "stela_sign_price_expected" + ofRow(row) + "} " +
                   priceValue(*result.expected[row]->price) + "\n";
        }
    }
    out += family("stela_sign_price_shown",
                  "The price the half shows (NaN: none, or the half did not answer).");
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            if (result.rowOk[row]) {
                const HalfRead* got = result.read ? &result.read->at(row, half) : nullptr;
                out += "stela_sign_price_shown" + ofRow(row) + ",half=\"" +
                       (half == Half::First ? "first" : "second") + "\"} " +
                       (got && got->valid() ? priceValue(got->reply.priceText()) : "NaN") + "\n";
            }
        }
    }
    return out;
}

}  // namespace stela::cli
