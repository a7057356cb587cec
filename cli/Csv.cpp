#include "cli/Csv.h"

#include <algorithm>

#include "cli/CliText.h"
#include "cli/InputError.h"
#include "cli/Utf8.h"

namespace stela::cli {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

char separatorOf(std::string_view text) {
    const std::string_view header = text.substr(0, text.find('\n'));
    if (header.find(',') != std::string_view::npos) {
        return ',';
    }
    return header.find(';') != std::string_view::npos    ? ';'
           : header.find('\t') != std::string_view::npos ? '\t'
                                                         : ',';
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    CsvTable table() {
        if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
            text_.remove_prefix(kByteOrderMark.size());
        }
        if (const std::size_t bad = firstNonUtf8(text_); bad != std::string_view::npos) {
            const std::string_view before = text_.substr(0, bad);
            line_ += static_cast<int>(std::count(before.begin(), before.end(), '\n'));
            fail(translateCli("not UTF-8"));
        }
        CsvTable out;
        out.separator = separator_ = separatorOf(text_);
        while (pos_ < text_.size()) {
            CsvRecord record = readRecord();
            const auto& first = out.records.empty() ? record : out.records.front();
            if (record.fields.size() != first.fields.size()) {
                line_ = record.line;
                fail(translateCli(
                    "%1 fields where the header has %2",
                    {std::to_string(record.fields.size()), std::to_string(first.fields.size())}));
            }
            out.records.push_back(std::move(record));
        }
        return out;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw InputError(translateCli("CSV, line %1: %2", {std::to_string(line_), what}));
    }

    bool atLineEnd() const {
        return pos_ >= text_.size() || text_[pos_] == '\n' || text_.substr(pos_, 2) == "\r\n";
    }

    void endLine() {
        if (pos_ < text_.size()) {
            pos_ += text_[pos_] == '\r' ? 2 : 1;
        }
        ++line_;
    }

    CsvRecord readRecord() {
        if (atLineEnd()) {
            fail(translateCli("a blank line"));
        }
        CsvRecord record;
        record.line = line_;
        for (;;) {
            record.fields.push_back(pos_ < text_.size() && text_[pos_] == '"' ? quotedField()
                                                                              : plainField());
            if (atLineEnd()) {
                endLine();
                return record;
            }
            ++pos_;  // the separator
        }
    }

    std::string plainField() {
        std::string field;
        while (!atLineEnd() && text_[pos_] != separator_) {
            const char c = text_[pos_++];
            if (c == '"' || c == '\r') {
                fail(c == '"' ? translateCli("a quote inside a field that is not quoted")
                              : translateCli("a carriage return without its line feed"));
            }
            field += c;
        }
        return field;
    }

    std::string quotedField() {
        const int startLine = line_;
        std::string field;
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size()) {
                line_ = startLine;
                fail(translateCli("a quoted field is not closed"));
            }
            const char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    field += '"';
                    ++pos_;
                    continue;
                }
                if (!atLineEnd() && text_[pos_] != separator_) {
                    fail(translateCli("text after a quoted field"));
                }
                return field;
            }
            line_ += c == '\n';
            field += c;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    char separator_ = ',';
};

}  // namespace

CsvTable parseCsv(std::string_view text) {
    return Reader(text).table();
}

std::string csvField(std::string_view text, char separator) {
    // A leading byte-order mark is quoted, or a reader would skip it.
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    const bool quote = text.find_first_of(special) != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' ')) ||
                       text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
    if (!quote) {
        return std::string(text);
    }
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + '"';
}

std::string csvLine(const std::vector<std::string>& fields, char separator) {
    if (fields.size() == 1 && fields[0].empty()) {
        return "\"\"\n";  // an empty line would be no record at all
    }
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out += (i == 0 ? "" : std::string(1, separator)) + csvField(fields[i], separator);
    }
    return out + '\n';
}

}  // namespace stela::cli
