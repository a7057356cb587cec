#pragma once

#include <string>

namespace stela::cli {

// A threshold as monitoring plugins take them (-w, -c): "10" alerts above 10
// (or below 0), "5:" below 5, "~:10" above 10, "5:10" outside 5..10, and a
// leading "@" inside the range instead. The text is kept as given, for the
// performance data.
struct Threshold {
    std::string text;
    double start = 0;
    double end = 0;
    bool startless = false;  // "~": no lower end
    bool endless = false;    // "5:": no upper end
    bool inside = false;     // "@"

    bool alerts(double value) const;
};

// Throws InputError naming `option` when `text` is no threshold.
Threshold parseThreshold(const std::string& text, const char* option);

}  // namespace stela::cli
