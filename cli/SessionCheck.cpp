// `stela-cli check`: one read, compared with the declared rows; nothing is written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "cli/Check.h"
#include "cli/CheckOutput.h"
#include "cli/CliText.h"
#include "cli/Session.h"
#include "cli/Utf8.h"
#include "store/AtomicFile.h"

namespace stela::cli {

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

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
    if (path == args_.file || sameFile(path, args_.file)) {
        return translateCli("it is the prices file given to --file");
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return std::strerror(errno);
    }
    const int error = name.empty() ? EISDIR : replaceFileAt(dirFd, name, contents, 0644);
    ::close(dirFd);
    return error == 0 ? std::string() : std::strerror(error);
}

}  // namespace stela::cli
