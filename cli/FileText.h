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
// charset. Without: UTF-8 as it stands (a file that starts with UTF-8's
// byte-order mark is UTF-8 throughout); else, as a spreadsheet saved it, in
// `localeCharset` when that is another and every byte decodes in it, else in
// CP1251 (a Russian Excel's) when every byte does. Throws InputError naming
// the line of the first byte that does not decode.
FileText decodeFileText(std::string_view bytes, const std::string& encoding,
                        const std::string& localeCharset);

}  // namespace stela::cli
