#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "iconv.h"

struct StelaIconv {
    UINT from;
    UINT to;
};

namespace {

std::string upper(const char* name) {
    std::string text = name;
    for (char& c : text) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return text;
}

// The code page of an iconv charset name; 0 when Windows has none.
UINT codePageOf(const char* name) {
    const std::string text = upper(name);
    static const struct {
        const char* name;
        UINT page;
    } kNamed[] = {{"UTF-8", CP_UTF8},       {"UTF8", CP_UTF8},     {"KOI8-R", 20866},
                  {"KOI8-U", 21866},        {"ISO-8859-1", 28591}, {"LATIN1", 28591},
                  {"ISO-8859-5", 28595},    {"ASCII", 20127},      {"US-ASCII", 20127},
                  {"ANSI_X3.4-1968", 20127}};
    for (const auto& named : kNamed) {
        if (text == named.name) {
            return named.page;
        }
    }
    for (const char* prefix : {"WINDOWS-", "CP", "IBM"}) {
        const std::size_t length = std::strlen(prefix);
        if (text.compare(0, length, prefix) == 0 && text.size() > length) {
            char* end = nullptr;
            const unsigned long page = std::strtoul(text.c_str() + length, &end, 10);
            if (*end == '\0' && page > 0 && page < 65536 && IsValidCodePage(UINT(page))) {
                return UINT(page);
            }
        }
    }
    return 0;
}

// The length of the character `in` starts with in code page `page`; 0 when
// the input ends inside it.
std::size_t characterLength(UINT page, const char* in, std::size_t left) {
    const auto lead = static_cast<unsigned char>(in[0]);
    std::size_t length = 1;
    if (page == CP_UTF8) {
        length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    } else if (IsDBCSLeadByteEx(page, lead)) {
        length = 2;
    }
    return length <= left ? length : 0;
}

}  // namespace

iconv_t iconv_open(const char* tocode, const char* fromcode) {
    const UINT to = codePageOf(tocode);
    const UINT from = codePageOf(fromcode);
    if (to == 0 || from == 0) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    return new StelaIconv{from, to};
}

int iconv_close(iconv_t cd) {
    delete cd;
    return 0;
}

size_t iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft) {
    if (in == nullptr || *in == nullptr) {
        return 0;  // no shift state to reset
    }
    const DWORD strict = cd->from == CP_UTF8 || cd->from == 20127 ? MB_ERR_INVALID_CHARS : 0;
    while (*inLeft > 0) {
        const std::size_t length = characterLength(cd->from, *in, *inLeft);
        if (length == 0) {
            errno = EINVAL;
            return static_cast<size_t>(-1);
        }
        wchar_t wide[2];
        const int units = MultiByteToWideChar(cd->from, strict, *in, int(length), wide, 2);
        char bytes[8];
        BOOL lacking = FALSE;
        const bool toUtf8 = cd->to == CP_UTF8;
        const int count =
            units <= 0
                ? 0
                : WideCharToMultiByte(cd->to, toUtf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, units, bytes,
                                      sizeof bytes, nullptr, toUtf8 ? nullptr : &lacking);
        if (count <= 0 || lacking) {
            errno = EILSEQ;
            return static_cast<size_t>(-1);
        }
        if (std::size_t(count) > *outLeft) {
            errno = E2BIG;
            return static_cast<size_t>(-1);
        }
        std::memcpy(*out, bytes, std::size_t(count));
        *out += count;
        *outLeft -= std::size_t(count);
        *in += length;
        *inLeft -= length;
    }
    return 0;
}
