#include "cli/Check.h"

#include <algorithm>
#include <cstdio>

#include "cli/CliText.h"
#include "cli/Readout.h"

namespace stela::cli {

namespace {

struct Fault {
    CheckStatus status;
    std::string text;
};

std::string yesNo(bool value) {
    return value ? translateCli("yes") : translateCli("no");
}

int gradeOf(const ReadReply& reply) {
    const int index = reply.gradeIndex();
    return index >= 0 && index < static_cast<int>(kGradeNames.size()) ? index : -1;
}

// The declared fields a half shows otherwise, as "what it shows" and "what was
// expected": "61.20, grade 92" and "62.05, grade 95"; both empty when it shows them.
std::pair<std::string, std::string> difference(const RowChange& expected, const ReadReply& shown) {
    std::vector<std::pair<std::string, std::string>> fields;
    if (expected.price && *expected.price != shown.priceText()) {
        fields.emplace_back(shown.priceText(), *expected.price);
    }
    if (expected.gradeIndex && *expected.gradeIndex != gradeOf(shown)) {
        fields.emplace_back(translateCli("grade %1", {gradeName(gradeOf(shown))}),
                            translateCli("grade %1", {gradeName(*expected.gradeIndex)}));
    }
    if (expected.caption1 && *expected.caption1 != shown.caption1()) {
        fields.emplace_back(translateCli("caption1 %1", {yesNo(shown.caption1())}),
                            translateCli("caption1 %1", {yesNo(*expected.caption1)}));
    }
    if (expected.caption2 && *expected.caption2 != shown.caption2()) {
        fields.emplace_back(translateCli("caption2 %1", {yesNo(shown.caption2())}),
                            translateCli("caption2 %1", {yesNo(*expected.caption2)}));
    }
    std::pair<std::string, std::string> out;
    for (const auto& [shownText, expectedText] : fields) {
        out.first += (out.first.empty() ? "" : ", ") + shownText;
        out.second += (out.second.empty() ? "" : ", ") + expectedText;
    }
    return out;
}

// What is wrong with one declared row; nothing when it shows what was declared.
std::vector<Fault> rowFaults(const ReadOutcome& read, int row, const RowChange& expected,
                             bool warnUnread) {
    const HalfRead& first = read.at(row, Half::First);
    const HalfRead& second = read.at(row, Half::Second);
    const std::string number = std::to_string(row);
    if (first.valid() && second.valid()) {
        if (!rowReadout(read, row).valid) {
            return {{CheckStatus::Critical, translateCli("row %1 halves differ", {number})}};
        }
        const auto [shown, wanted] = difference(expected, first.reply);
        if (shown.empty()) {
            return {};
        }
        return {{CheckStatus::Critical,
                 translateCli("row %1 shows %2, expected %3", {number, shown, wanted})}};
    }
    // A half that answered still tells what it shows; the other, why it told nothing.
    std::vector<Fault> faults;
    for (Half half : {Half::First, Half::Second}) {
        const HalfRead& got = read.at(row, half);
        if (got.valid()) {
            const auto [shown, wanted] = difference(expected, got.reply);
            if (!shown.empty()) {
                faults.push_back(
                    {CheckStatus::Critical, translateCli("%1 shows %2, expected %3",
                                                         {halfName(row, half), shown, wanted})});
            }
        } else if (got.verdict == HalfVerdict::NoReply) {
            faults.push_back({warnUnread ? CheckStatus::Warning : CheckStatus::Critical,
                              translateCli("%1 did not answer", {halfName(row, half)})});
        } else {
            faults.push_back(
                {CheckStatus::Critical, halfName(row, half) + ": " + failureReason(got.verdict)});
        }
    }
    return faults;
}

bool nothingAnswered(const ReadOutcome& read) {
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            const HalfVerdict verdict = read.at(row, half).verdict;
            if (verdict != HalfVerdict::NoReply && verdict != HalfVerdict::NotRead) {
                return false;
            }
        }
    }
    return true;
}

std::string secondsText(long long ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(ms) / 1000.0);
    return text;
}

// What every result of a check on the sign carries from the command line.
CheckResult started(CheckStatus status, const Arguments& args) {
    CheckResult result;
    result.status = status;
    result.measured = true;
    result.expected = args.rows;
    result.warning = args.warning ? args.warning->text : "";
    result.critical = args.critical ? args.critical->text : "";
    result.timeoutSeconds = args.timeoutSeconds;
    for (int row = 1; row <= kRows; ++row) {
        if (args.rows[row]) {
            result.rowOk[row] = false;
        }
    }
    return result;
}

void addFault(CheckResult& result, CheckStatus status, const std::string& text) {
    result.status = std::max(result.status, status);
    result.summary += (result.summary.empty() ? "" : "; ") + text;
}

}  // namespace

CheckResult checkRows(const ReadOutcome& read, long long readMs, const Arguments& args) {
    CheckResult result = started(CheckStatus::Ok, args);
    result.readMs = readMs;
    result.read = read;
    const std::string limit = translateCli("the read was cut short by the time limit (%1 s)",
                                           {std::to_string(args.timeoutSeconds)});
    if (nothingAnswered(read)) {
        result.status = CheckStatus::Critical;
        result.summary = translateCli("no half of the sign answered");
        if (read.cutShort) {
            result.summary += "; " + limit;
        }
        return result;
    }
    result.answered = true;
    int declared = 0, lastDeclared = 0;
    for (int row = 1; row <= kRows; ++row) {
        if (!args.rows[row]) {
            continue;
        }
        ++declared;
        lastDeclared = row;
        const std::vector<Fault> faults = rowFaults(read, row, *args.rows[row], args.warnUnread);
        result.rowOk[row] = faults.empty();
        for (const Fault& fault : faults) {
            addFault(result, fault.status, fault.text);
        }
    }
    const bool rowsAsExpected = result.status == CheckStatus::Ok;
    if (read.cutShort && !rowsAsExpected) {
        addFault(result, result.status, limit);
    }
    const double seconds = static_cast<double>(readMs) / 1000.0;
    const std::string slow = translateCli("the read took %1 s", {secondsText(readMs)});
    if (args.critical && args.critical->alerts(seconds)) {
        addFault(result, CheckStatus::Critical, slow);
    } else if (args.warning && args.warning->alerts(seconds)) {
        addFault(result, CheckStatus::Warning, slow);
    }
    if (rowsAsExpected) {
        const std::string rows =
            declared == 1 ? translateCli("row %1 as expected", {std::to_string(lastDeclared)})
                          : translateCli("%1 rows as expected", {std::to_string(declared)});
        result.summary = result.summary.empty() ? rows : rows + "; " + result.summary;
    }
    return result;
}

CheckResult unreachable(std::string why, std::vector<std::string> details, long long elapsedMs,
                        const Arguments& args) {
    CheckResult result = started(CheckStatus::Critical, args);
    result.summary = std::move(why);
    result.details = std::move(details);
    result.readMs = elapsedMs;
    return result;
}

CheckResult uncheckable(std::string why, std::vector<std::string> details, const Arguments* args) {
    CheckResult result = args ? started(CheckStatus::Unknown, *args) : CheckResult();
    result.status = CheckStatus::Unknown;
    result.measured = false;
    result.summary = std::move(why);
    result.details = std::move(details);
    return result;
}

}  // namespace stela::cli
