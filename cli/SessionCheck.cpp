// `stela-cli check`: one read, compared with the declared rows; nothing is written.
#include "cli/AnswerDeadline.h"
#include "cli/Charset.h"
#include "cli/Check.h"
#include "cli/CheckOutput.h"
#include "cli/CliText.h"
#include "cli/OutputFiles.h"
#include "cli/Session.h"
#include "cli/Utf8.h"
#include "os/HostName.h"
#include "os/SameFile.h"
#include "store/AtomicFile.h"
#include "workflows/Journal.h"

namespace stela::cli {

namespace {

// A port that is in use or may not be opened: the check could not run.
// Anything else (not there, gone, a server that does not answer) leaves the
// sign unreachable.
bool leavesSignUnreachable(const EComPort& error) {
    const FailureKind kind = error.Kind();
    return error.Code() != EComPort::kSetWhileConnected && kind != FailureKind::InUse &&
           kind != FailureKind::NoAccess;
}

}  // namespace

int Session::check() {
    const std::int64_t limitMs = startedMs_ + args_.timeoutSeconds * 1000LL;
    const std::int64_t readBy = limitMs - kCheckAfterReadMs;
    const std::string timeUp =
        translateCli("the time limit (%1 s) ran out before the sign was read",
                     {std::to_string(args_.timeoutSeconds)});
    clock_.setLimit(limitMs - kCheckStopMs);
    // The port given, or the one the search found; what the check prints: the
    // metrics instead of the status line when they have no file of their own.
    std::string port = args_.ports.empty() ? "" : args_.ports.front().name();
    const auto answerOf = [this, &port](CheckResult& result) {
        result.port = port;
        result.station = args_.station.empty() ? hostName() : args_.station;
        return args_.format == Format::Prometheus && args_.output.empty()
                   ? prometheusMetrics(result)
                   : pluginOutput(result);
    };
    if (deadline_ != nullptr) {
        CheckResult late = unreachable(timeUp, {}, limitMs - kCheckGuardMs - startedMs_, args_);
        deadline_->prepare(inCharset(answerOf(late), charset_), static_cast<int>(late.status));
    }
    if (journal_ != nullptr) {
        journal_->hold();  // a line per check while all is well, the exchange when not
    }

    CheckResult result;
    const std::int64_t start = clock_.now_ms();
    try {
        if (connect()) {
            port = port_.Port();
            const ReadOutcome read = readWithProgress(translateCli("check"), readBy);
            result = checkRows(read, clock_.now_ms() - start, args_);
        } else {
            result = unreachable(noSign_, {}, clock_.now_ms() - start, args_);
        }
    } catch (const EComPort& error) {
        bar_.finish();
        std::vector<std::string> lines = portErrorLines(error);
        const std::string first = lines.front();
        lines.erase(lines.begin());
        result = leavesSignUnreachable(error)
                     ? unreachable(first, lines, clock_.now_ms() - start, args_)
                     : uncheckable(first, lines, &args_);
    } catch (const TimeLimitReached&) {
        bar_.finish();
        result = unreachable(timeUp, {}, clock_.now_ms() - start, args_);
    }
    // The port is free again before the answer.
    try {
        port_.Close();
    } catch (const EComPort&) {  // a device gone: the result says so already
    }

    std::string answer = answerOf(result);
    if (args_.format == Format::Prometheus && !args_.output.empty()) {
        const std::string failure = replaceOutput(prometheusMetrics(result));
        if (!failure.empty()) {
            result =
                uncheckable(translateCli("--output %1: %2; the sign: %3",
                                         {escapedText(args_.output), failure, result.summary}));
            answer = pluginOutput(result);
        }
    }
    if (journal_ != nullptr) {
        journal_->release(result.status != CheckStatus::Ok);
        journal_->appendTagged({LogOperation::Check, LogEvent::Result}, statusLine(result));
    }
    if (deadline_ != nullptr) {
        deadline_->answered(static_cast<int>(result.status));
    }
    out_ << answer << std::flush;
    return static_cast<int>(result.status);
}

std::string Session::replaceOutput(const std::string& contents) const {
    const std::string& path = args_.output;
    if (path == args_.file || isSameFile(path, args_.file)) {
        return translateCli("it is the prices file given to --file");
    }
    const int error = replaceFile(path, contents, 0644);
    return error == 0 ? std::string() : replaceFailure(path, error);
}

}  // namespace stela::cli
