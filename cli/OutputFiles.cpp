#include "cli/OutputFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <ext/stdio_filebuf.h>

#include <cerrno>

#include "cli/CliText.h"
#include "cli/InputError.h"
#include "cli/PlatformTexts.h"
#include "cli/SystemCharset.h"
#include "cli/Utf8.h"
#include "i18n/Translate.h"
#include "os/FileDescriptor.h"
#include "os/SameFile.h"
#include "os/Utf8Path.h"
#include "store/AtomicFile.h"
#ifdef _WIN32
#include "os/win/PosixFileCalls.h"
#endif

namespace stela::cli {
namespace {

std::string notAFile(FileKind kind) {
    return translateCli("not a file but %1; left as it is", {fileKindText(kind)});
}

// Written through the descriptor it was opened on: opened again by name, a
// FIFO could block, or the name lead elsewhere by then.
class LogStream : public std::ostream {
public:
    explicit LogStream(int fd) : std::ostream(nullptr), buffer_(fd, std::ios::out) {
        rdbuf(&buffer_);
    }

private:
    __gnu_cxx::stdio_filebuf<char> buffer_;
};

}  // namespace

std::unique_ptr<std::ostream> openLog(const std::string& path, const std::string& pricesPath) {
    const std::string refused =
        translateCli("--log %1 is the prices file given to --file", {escapedText(path)});
    const auto failure = [&path](const std::string& why) {
        return InputError(translateCli("--log %1: %2", {escapedText(path), why}));
    };
    if (path == pricesPath) {
        throw InputError(refused);
    }
    // Without waiting for a FIFO's reader, and never becoming the controlling terminal.
    FileDescriptor fd(
        openUtf8(path, O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (!fd.valid()) {
        const int error = errno;
        const FileKind kind = fileKindAt(path);
        throw failure(error != kNobodyAtTheOtherEnd ? errnoMeaning(error)
                      : kind == FileKind::Fifo ? translateCli("a FIFO nobody reads; left as it is")
                                               : notAFile(kind));
    }
    struct stat log {};
    if (::fstat(fd.get(), &log) != 0) {
        throw failure(errnoMeaning(errno));
    }
    if (!pricesPath.empty() && isSameFile(path, pricesPath)) {
        throw InputError(refused);
    }
    if (S_ISREG(log.st_mode) && ::ftruncate(fd.get(), 0) != 0) {
        throw failure(errnoMeaning(errno));
    }
    if (!S_ISREG(log.st_mode) && !S_ISCHR(log.st_mode) && !S_ISFIFO(log.st_mode)) {
        throw failure(notAFile(fileKindAt(path)));
    }
    ::fcntl(fd.get(), F_SETFL, O_APPEND);  // its reader is waited for, as stdout's is
    useSystemLineEnds(fd.get());
    return std::make_unique<LogStream>(fd.release());
}

std::string replaceFailure(const std::string& path, int error) {
    return error == kNotARegularFile ? notAFile(fileKindAt(path))
           : error == kOwnerNotKept
               ? translateCli("another user's file, which would lose its owner; left as it is")
               : errnoMeaning(error);
}

}  // namespace stela::cli
