#pragma once

#include <string>
#include <string_view>

namespace stela::cli {

// A prices file's text as UTF-8, and the charset it was taken in when it was
// not UTF-8 and no --encoding said which ("" otherwise).
struct FileText {
    std::string utf8;
    std::string readAs;
};

// A file's bytes as UTF-8. With `encoding` (--encoding), taken in that
// charset. Without: UTF-16 where its byte-order mark starts the file (what
// Excel saves as "Unicode text"); UTF-8 as it stands (a file that starts
// with UTF-8's byte-order mark is UTF-8 throughout); else, as a spreadsheet
// saved it, in
// `localeCharset` when that is another and every byte decodes in it, else in
// CP1251 (a Russian Excel's) when every byte does. Throws InputError naming
// the line of the first byte that does not decode.
FileText decodeFileText(std::string_view bytes, const std::string& encoding,
                        const std::string& localeCharset);

// Whether --encoding names a charset decodeFileText takes: UTF-16, UTF-16LE
// and UTF-16BE, and whatever iconv (Windows: its code pages) knows.
bool readableCharset(const std::string& encoding);

}  // namespace stela::cli
