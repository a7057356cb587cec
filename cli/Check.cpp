#include "cli/Check.h"

#include <algorithm>

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
            if (read.at(row, half).verdict != HalfVerdict::NoReply) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

CheckResult checkRows(const ReadOutcome& read, long long readMs, const RowChanges& expected,
                      bool warnUnread) {
    if (nothingAnswered(read)) {
        return uncheckable(translateCli("no half of the sign answered"));
    }
    CheckResult result;
    result.status = CheckStatus::Ok;
    result.readMs = readMs;
    int declared = 0, lastDeclared = 0;
    for (int row = 1; row <= kRows; ++row) {
        if (!expected[row]) {
            continue;
        }
        ++declared;
        lastDeclared = row;
        const std::vector<Fault> faults = rowFaults(read, row, *expected[row], warnUnread);
        result.rowOk[row] = faults.empty();
        for (const Fault& fault : faults) {
            result.status = std::max(result.status, fault.status);
            result.summary += (result.summary.empty() ? "" : "; ") + fault.text;
        }
    }
    if (result.status == CheckStatus::Ok) {
        result.summary = declared == 1
                             ? translateCli("row %1 as expected", {std::to_string(lastDeclared)})
                             : translateCli("%1 rows as expected", {std::to_string(declared)});
    }
    return result;
}

CheckResult uncheckable(std::string why, std::vector<std::string> details) {
    CheckResult result;
    result.summary = std::move(why);
    result.details = std::move(details);
    return result;
}

}  // namespace stela::cli
