#include "cli/Run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "cli/Arguments.h"
#include "cli/ExitStatus.h"
#include "cli/InputError.h"
#include "cli/Session.h"
#include "console/Journal.h"

namespace stela::cli {

namespace {

// The operation log, emptied only once it is known not to be the prices file
// under any name: the same path, or the same device and inode.
std::unique_ptr<std::ofstream> openLog(const std::string& path, const std::string& pricesPath) {
    const std::string refused = "--log " + path + " is the prices file given to --file";
    if (path == pricesPath) {
        throw InputError(refused);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw InputError("--log " + path + ": " + std::strerror(errno));
    }
    struct stat log {
    }, prices{};
    const bool same = ::fstat(fd, &log) == 0 && !pricesPath.empty() &&
                      ::stat(pricesPath.c_str(), &prices) == 0 && log.st_dev == prices.st_dev &&
                      log.st_ino == prices.st_ino;
    const bool emptied = same || !S_ISREG(log.st_mode) || ::ftruncate(fd, 0) == 0;
    const int error = errno;
    ::close(fd);
    if (same) {
        throw InputError(refused);
    }
    if (!emptied) {
        throw InputError("--log " + path + ": " + std::strerror(error));
    }
    auto out = std::make_unique<std::ofstream>(path, std::ios::app);
    if (!*out) {
        throw InputError("--log " + path + ": " + std::strerror(errno));
    }
    return out;
}

}  // namespace

int runCli(const std::vector<std::string>& args, const Environment& env) {
    Arguments arguments;
    std::unique_ptr<std::ofstream> log;
    try {
        arguments = parseArguments(args);
        if (!arguments.logPath.empty()) {
            log = openLog(arguments.logPath, arguments.pricesPath);
        }
    } catch (const InputError& error) {
        *env.err << "stela-cli: " << error.what() << "\nTry 'stela-cli --help'.\n";
        return kBadArguments;
    }
    if (arguments.action == Action::Help) {
        *env.out << kUsage;
        return kDone;
    }
    Session session(arguments, env, log.get());
    int status = session.run();
    if (env.journal != nullptr) {
        const std::string failure = env.journal->flush();
        if (!failure.empty()) {
            *env.err << "stela-cli: journal not written: " << failure << "\n";
        }
    }
    // A log asked for and lost fails the run; the sign's own status comes first.
    if (log && !log->flush()) {
        *env.err << "stela-cli: --log " << arguments.logPath << ": could not be written\n";
        status = status == kDone ? kLogFailed : status;
    }
    return status;
}

}  // namespace stela::cli
