#include "cli/FileText.h"

#include <algorithm>

#include "cli/Charset.h"
#include "cli/CliText.h"
#include "cli/InputError.h"
#include "cli/Utf8.h"
#include "store/Utf16.h"

namespace stela::cli {

namespace {

constexpr char kSpreadsheetCharset[] = "CP1251";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string lineOf(std::string_view bytes, std::size_t offset) {
    const auto before = bytes.substr(0, offset);
    return std::to_string(1 + std::count(before.begin(), before.end(), '\n'));
}

enum class Utf16 { No, LittleEndian, BigEndian };

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return text;
}

// Whether the bytes are UTF-16: by the name given, else by the byte-order mark
// (Excel's "Unicode text" starts with FF FE). "UTF-16" without a mark is
// Windows' order, little-endian.
Utf16 utf16Form(std::string_view bytes, const std::string& encoding) {
    const std::string name = upper(encoding);
    const bool named = name == "UTF-16" || name == "UTF16";
    if (name == "UTF-16LE" || name == "UTF16LE") {
        return Utf16::LittleEndian;
    }
    if (name == "UTF-16BE" || name == "UTF16BE") {
        return Utf16::BigEndian;
    }
    if (named || encoding.empty()) {
        if (bytes.substr(0, 2) == "\xFE\xFF") {
            return Utf16::BigEndian;
        }
        if (named || bytes.substr(0, 2) == "\xFF\xFE") {
            return Utf16::LittleEndian;
        }
    }
    return Utf16::No;
}

// UTF-16 as UTF-8, a byte-order mark kept as UTF-8's. Throws InputError
// naming the line of the first unit that is no character (an unpaired
// surrogate, an odd last byte).
std::string fromUtf16(std::string_view bytes, Utf16 form) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units += form == Utf16::LittleEndian ? char16_t(first | second << 8)
                                             : char16_t(second | first << 8);
    }
    std::size_t bad = bytes.size() % 2 != 0 ? units.size() : std::u16string::npos;
    for (std::size_t i = 0; i < units.size() && bad == std::u16string::npos; ++i) {
        const bool high = units[i] >= 0xD800 && units[i] <= 0xDBFF;
        const bool low = units[i] >= 0xDC00 && units[i] <= 0xDFFF;
        const bool lowNext =
            i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (low || (high && !lowNext)) {
            bad = i;
        }
        i += high ? 1 : 0;
    }
    if (bad != std::u16string::npos) {
        const auto before = std::u16string_view(units).substr(0, bad);
        throw InputError(
            translateCli("line %1 is not UTF-16 text",
                         {std::to_string(1 + std::count(before.begin(), before.end(), u'\n'))}));
    }
    std::string little;
    for (char16_t unit : units) {
        little += static_cast<char>(unit & 0xFF);
        little += static_cast<char>(unit >> 8);
    }
    return *utf16leToUtf8(little);
}

}  // namespace

bool readableCharset(const std::string& encoding) {
    return utf16Form("", encoding) != Utf16::No || knownCharset(encoding);
}

FileText decodeFileText(std::string_view bytes, const std::string& encoding,
                        const std::string& localeCharset) {
    if (const Utf16 form = utf16Form(bytes, encoding); form != Utf16::No) {
        return {fromUtf16(bytes, form), ""};
    }
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
