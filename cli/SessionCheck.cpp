// `stela-cli check`: one read, compared with the declared rows; nothing is written.
#include "cli/Check.h"
#include "cli/CheckOutput.h"
#include "cli/CliText.h"
#include "cli/OutputFiles.h"
#include "cli/Session.h"
#include "cli/Utf8.h"
#include "os/SameFile.h"
#include "store/AtomicFile.h"

namespace stela::cli {

int Session::check() {
    CheckResult result;
    try {
        if (connect()) {
            const std::int64_t start = clock_.now_ms();
            const ReadOutcome read = readWithProgress(translateCli("check"));
            result = checkRows(read, clock_.now_ms() - start, args_.rows, args_.warnUnread);
        } else {
            result = uncheckable(noSign_);
        }
    } catch (const EComPort& error) {
        bar_.finish();
        std::vector<std::string> lines = portErrorLines(error);
        const std::string first = lines.front();
        lines.erase(lines.begin());
        result = uncheckable(first, lines);
    }
    result.port = port_.Port();

    if (args_.format == Format::Prometheus) {
        const std::string metrics = prometheusMetrics(result);
        if (args_.output.empty()) {
            out_ << metrics;
            return static_cast<int>(result.status);
        }
        const std::string failure = replaceOutput(metrics);
        if (!failure.empty()) {
            result =
                uncheckable(translateCli("--output %1: %2", {escapedText(args_.output), failure}),
                            {result.summary});
        }
    }
    out_ << pluginOutput(result);
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
