#include "cli/Csv.h"

#include "cli/InputError.h"
#include "cli/Utf8.h"

namespace stela::cli {

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::vector<CsvRecord> records() {
        if (firstNonUtf8(text_) != std::string_view::npos) {
            throw InputError("CSV: not UTF-8");
        }
        std::vector<CsvRecord> out;
        while (pos_ < text_.size()) {
            CsvRecord record = readRecord();
            if (!out.empty() && record.size() != out.front().size()) {
                fail("has " + std::to_string(record.size()) + " fields, the first line " +
                     std::to_string(out.front().size()));
            }
            out.push_back(std::move(record));
        }
        return out;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw InputError("CSV, line " + std::to_string(line_) + ": " + what);
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
            fail("a blank line");
        }
        CsvRecord record;
        for (;;) {
            record.push_back(pos_ < text_.size() && text_[pos_] == '"' ? quotedField()
                                                                       : plainField());
            if (atLineEnd()) {
                endLine();
                return record;
            }
            ++pos_;  // the comma
        }
    }

    std::string plainField() {
        std::string field;
        while (!atLineEnd() && text_[pos_] != ',') {
            const char c = text_[pos_++];
            if (c == '"' || c == '\r') {
                fail(c == '"' ? "a quote inside a field that is not quoted"
                              : "a carriage return without its line feed");
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
                fail("a quoted field is not closed");
            }
            const char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    field += '"';
                    ++pos_;
                    continue;
                }
                if (!atLineEnd() && text_[pos_] != ',') {
                    fail("text after a quoted field");
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
};

}  // namespace

std::vector<CsvRecord> parseCsv(std::string_view text) {
    return Reader(text).records();
}

std::string csvField(std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
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

std::string csvLine(const CsvRecord& fields) {
    if (fields.size() == 1 && fields[0].empty()) {
        return "\"\"\n";  // an empty line would be no record at all
    }
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        out += (i == 0 ? "" : ",") + csvField(fields[i]);
    }
    return out + '\n';
}

}  // namespace stela::cli
