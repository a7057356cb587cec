#include "cli/FileText.h"

#include <algorithm>

#include "cli/Charset.h"
#include "cli/CliText.h"
#include "cli/InputError.h"
#include "cli/Utf8.h"

namespace stela::cli {

namespace {

constexpr char kSpreadsheetCharset[] = "CP1251";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string lineOf(std::string_view bytes, std::size_t offset) {
    const auto before = bytes.substr(0, offset);
    return std::to_string(1 + std::count(before.begin(), before.end(), '\n'));
}

}  // namespace

FileText decodeFileText(std::string_view bytes, const std::string& encoding,
                        const std::string& localeCharset) {
    if (!encoding.empty()) {
        std::size_t invalidAt = 0;
        if (auto text = toUtf8(bytes, encoding, &invalidAt)) {
            return {std::move(*text), ""};
        }
        throw InputError(
            translateCli("line %1 is not %2 text", {lineOf(bytes, invalidAt), encoding}));
    }
    const std::size_t notUtf8 = firstNonUtf8(bytes);
    if (notUtf8 == std::string_view::npos) {
        return {std::string(bytes), ""};
    }
    if (bytes.substr(0, kByteOrderMark.size()) != kByteOrderMark) {
        for (const std::string& charset : {localeCharset, std::string(kSpreadsheetCharset)}) {
            if (charset == kUtf8) {
                continue;
            }
            if (auto text = toUtf8(bytes, charset)) {
                return {std::move(*text), charset};
            }
        }
    }
    throw InputError(translateCli(
        "line %1 is not UTF-8 text, nor %2 throughout; give its charset with --encoding",
        {lineOf(bytes, notUtf8), kSpreadsheetCharset}));
}

}  // namespace stela::cli
