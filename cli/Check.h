#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/RowChange.h"
#include "workflows/Outcomes.h"

namespace stela::cli {

// `stela-cli check`: whether the sign shows the rows a prices file declares,
// in the terms of the Monitoring Plugins (their exit statuses are its values).
enum class CheckStatus : int { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

struct CheckResult {
    CheckStatus status = CheckStatus::Unknown;
    // What the status line says after "STELA OK - ": the rows as expected,
    // or each fault in row order; why nothing could be told when Unknown.
    std::string summary;
    std::vector<std::string> details;  // lines after the status line
    std::string port;
    // From here only when the sign was read and something answered.
    std::optional<long long> readMs;
    // Declared rows only: both halves answered alike and show what was declared.
    std::array<std::optional<bool>, kRows + 1> rowOk{};
};

// Compares each declared row with what the read found; a row shows what was
// declared only when both halves answered and agree. A half that did not
// answer is Critical, or a Warning when `warnUnread`; a read in which no half
// answered is Unknown (no sign on the port).
// `readMs`: how long the read took.
CheckResult checkRows(const ReadOutcome& read, long long readMs, const RowChanges& expected,
                      bool warnUnread);

// Nothing could be checked: `why` in the status line, `details` after it.
CheckResult uncheckable(std::string why, std::vector<std::string> details = {});

}  // namespace stela::cli
