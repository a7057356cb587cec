#include "tests/support/Golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace stela::test {
namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

// The first line where the two differ, for a message a person can read.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::string el, al;
    for (int n = 1;; ++n) {
        const bool moreE = bool(std::getline(e, el)), moreA = bool(std::getline(a, al));
        if (!moreE && !moreA) {
            return "no line differs";
        }
        if (!moreE || !moreA || el != al) {
            return "line " + std::to_string(n) +
                   ":\n  golden: " + (moreE ? "[" + el + "]" : "(end)") +
                   "\n  actual: " + (moreA ? "[" + al + "]" : "(end)");
        }
    }
}

}  // namespace

void expectGolden(const std::vector<std::string>& lines, const std::string& name) {
    const std::string path = std::string(STELA_GOLDEN_DIR) + "/" + name + ".log";
    const std::string actual = joined(lines);
    const char* update = std::getenv("STELA_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path << " is missing; STELA_UPDATE_GOLDEN=1 writes it";
    const std::string expected((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(expected == actual) << name << ": " << firstDifference(expected, actual);
}

}  // namespace stela::test
