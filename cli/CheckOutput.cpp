#include "cli/CheckOutput.h"

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

}  // namespace

std::string pluginOutput(const CheckResult& result) {
    std::string out =
        std::string("STELA ") + statusWord(result.status) + " - " + withoutBar(result.summary);
    if (result.readMs) {
        const auto [ok, declared] = rowsOkOfDeclared(result);
        out += " | rows_ok=" + std::to_string(ok) + ";;;0;" + std::to_string(declared) +
               " read_time=" + seconds(*result.readMs, 2) + "s";
    }
    out += '\n';
    for (const std::string& line : result.details) {
        out += withoutBar(line) + '\n';
    }
    return out;
}

std::string prometheusMetrics(const CheckResult& result) {
    const std::string port = "port=\"" + labelValue(result.port) + "\"";
    std::string out =
        "# HELP stela_sign_up Whether the price sign answered the last check.\n"
        "# TYPE stela_sign_up gauge\n"
        "stela_sign_up{" +
        port + "} " + (result.readMs ? "1" : "0") + "\n";
    if (!result.readMs) {
        return out;
    }
    out +=
        "# HELP stela_sign_read_seconds How long the check's read of the ten halves took.\n"
        "# TYPE stela_sign_read_seconds gauge\n"
        "stela_sign_read_seconds{" +
        port + "} " + seconds(*result.readMs, 3) +
        "\n"
        "# HELP stela_sign_row_ok Whether the price row shows what is expected, both halves "
        "alike.\n"
        "# TYPE stela_sign_row_ok gauge\n";
    for (int row = 1; row <= kRows; ++row) {
        if (result.rowOk[row]) {
            out += "stela_sign_row_ok{" + port + ",row=\"" + std::to_string(row) + "\"} " +
                   (*result.rowOk[row] ? "1" : "0") + "\n";
        }
    }
    return out;
}

}  // namespace stela::cli
