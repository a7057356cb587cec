#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "workflows/Outcomes.h"

namespace stela::cli {

// `stela-cli check`: whether the sign shows the rows a prices file declares,
// in the terms of the Monitoring Plugins (their exit statuses are its values).
enum class CheckStatus : int { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

// Within its time limit (-t) a check plans its read to end this much before
// the limit, leaving time to close the port, answer and keep the journal; a
// pass slower than planned may overrun it, but no sleep ends later than
// kCheckStopMs before the limit; the process guard (AnswerDeadline) answers
// kCheckGuardMs before it.
inline constexpr int kCheckAfterReadMs = 300;
inline constexpr int kCheckStopMs = 150;
inline constexpr int kCheckGuardMs = 50;

struct CheckResult {
    CheckStatus status = CheckStatus::Unknown;
    // What the status line says after "STELA OK - ": the rows as expected,
    // or each fault in row order; why nothing could be told when Unknown.
    std::string summary;
    std::vector<std::string> details;  // lines after the status line
    std::string port;
    std::string station;  // the metrics' station label
    // The sign was tried (the performance data are printed): it answered, or
    // it could not be reached. Not when the check could not run at all.
    bool measured = false;
    bool answered = false;  // a half of the sign answered
    long long readMs = 0;   // how long the read (or the try) took
    // Declared rows only: both halves answered alike and show what was declared.
    std::array<std::optional<bool>, kRows + 1> rowOk{};
    RowChanges expected;              // the declared rows
    std::optional<ReadOutcome> read;  // what the sign showed
    // The performance data's warning and critical ranges and maximum (-w, -c, -t).
    std::string warning, critical;
    int timeoutSeconds = kCheckTimeoutSeconds;
};

// Compares each declared row with what the read found; a row shows what was
// declared only when both halves answered and agree. A half that did not
// answer is Critical, or a Warning with --warn-unread; a half the time limit
// left unread, or a sign of which no half answered, is Critical. The read's
// seconds against -w and -c. `readMs`: how long the read took.
CheckResult checkRows(const ReadOutcome& read, long long readMs, const Arguments& args);

// The sign could not be reached (no answer, its port gone or not there, the
// time limit): Critical, every declared row not as expected.
CheckResult unreachable(std::string why, std::vector<std::string> details, long long elapsedMs,
                        const Arguments& args);

// Nothing could be checked (the port in use or not allowed, bad arguments):
// `why` in the status line, `details` after it.
CheckResult uncheckable(std::string why, std::vector<std::string> details = {},
                        const Arguments* args = nullptr);

}  // namespace stela::cli
