#include "cli/Threshold.h"

#include <cmath>
#include <cstdlib>

#include "cli/CliText.h"
#include "cli/InputError.h"
#include "cli/RowChange.h"

namespace stela::cli {

namespace {

// A plain decimal number; strtod's hexadecimal, infinities and NaN are no threshold.
bool parseNumber(const std::string& text, double& value) {
    if (text.empty() || text.find_first_not_of("0123456789.-+") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

}  // namespace

bool Threshold::alerts(double value) const {
    const bool within = (startless || value >= start) && (endless || value <= end);
    return inside ? within : !within;
}

Threshold parseThreshold(const std::string& text, const char* option) {
    Threshold t;
    t.text = text;
    std::string range = text;
    if (!range.empty() && range[0] == '@') {
        t.inside = true;
        range.erase(0, 1);
    }
    const std::size_t colon = range.find(':');
    const std::string low = colon == std::string::npos ? "" : range.substr(0, colon);
    const std::string high = colon == std::string::npos ? range : range.substr(colon + 1);
    t.startless = low == "~";
    t.endless = colon != std::string::npos && high.empty();
    const bool valid = (t.startless || low.empty() || parseNumber(low, t.start)) &&
                       (t.endless || parseNumber(high, t.end)) &&
                       (t.startless || t.endless || t.start <= t.end);
    if (!valid) {
        throw InputError(
            translateCli("%1: %2 is no threshold (seconds: 10, 5:, ~:10, 5:10 or @5:10)",
                         {option, quoted(text)}));
    }
    return t;
}

}  // namespace stela::cli
