#include "workflows/Journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <vector>

#include "i18n/Translate.h"
#include "i18n/Utf8.h"
#include "os/DirectoryListing.h"
#include "os/FileDescriptor.h"
#include "store/AtomicFile.h"
#include "store/ConfigDirectory.h"
#ifdef _WIN32
#include "os/win/PosixFileCalls.h"
#endif

namespace stela {
namespace {

std::tm localTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return local;
}

std::string dayOf(const std::tm& local) {
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

// A journal file's name: YYYY-MM-DD.log.
bool isDayFile(std::string_view name) {
    if (name.size() != 14 || name.substr(10) != ".log") {
        return false;
    }
    for (std::size_t i = 0; i < 10; ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? name[i] != '-' : (name[i] < '0' || name[i] > '9')) {
            return false;
        }
    }
    return true;
}

std::string failure(const std::string& path, int error) {
    return path + ": " + errnoMeaning(error);
}

// Cuts off the `written` bytes a short write appended at the end of the file,
// unless another program has appended after them.
void takeBack(int fd, ssize_t written) {
    const off_t end = ::lseek(fd, 0, SEEK_CUR);
    struct stat info {};
    if (end >= written && ::fstat(fd, &info) == 0 && info.st_size == end) {
        [[maybe_unused]] const int ignored = ::ftruncate(fd, end - written);
    }
}

// The port as one field: a name with a blank (a path given on the command
// line) must not shift the fields, and nothing in a field may start a line or
// be a byte that is not UTF-8, which makes grep take the whole day's file as
// binary.
std::string portField(const std::string& port) {
    if (port.empty()) {
        return "-";
    }
    std::string field;
    for (const char c : escapedText(port)) {
        field += c == ' ' ? std::string("\\x20") : std::string(1, c);
    }
    return field;
}

}  // namespace

std::string journalDirectory() {
    return stateDirectory() + "/journal";
}

Journal::Journal(std::string directory, std::string program, std::function<std::string()> port,
                 Now now)
    : directory_(std::move(directory)),
      program_(std::move(program)),
      port_(std::move(port)),
      now_(std::move(now)) {}

void Journal::appendTagged(const LogTag& tag, const std::string& line) {
    const auto when = now_();
    const std::tm local = localTime(when);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()) % 1000;
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(millis.count()));
    append(dayOf(local), std::string(stamp) + fraction + " " + portField(port_()) + " " + program_ +
                             " " + logTagText(tag) + " " + escapedText(line) + "\n");
}

void Journal::append(const std::string& day, const std::string& line) {
    if (holding_) {
        held_.emplace_back(day, line);
        return;
    }
    const std::string problem = appendTo(day, line);
    if (failure_.empty()) {
        failure_ = problem;
    }
}

void Journal::hold() {
    holding_ = true;
}

void Journal::release(bool keep) {
    holding_ = false;
    std::vector<std::pair<std::string, std::string>> held;
    held.swap(held_);
    for (const auto& [day, line] : held) {
        if (keep) {
            append(day, line);
        }
    }
}

std::string Journal::flush() {
    release(true);
    std::string problem;
    problem.swap(failure_);
    prune(now_());
    return problem;
}

std::string Journal::appendTo(const std::string& day, const std::string& line) const {
    const std::string path = directory_ + "/" + day + ".log";
    // Without blocking, only to a regular file and not through a symbolic
    // link: a FIFO put there must not hang the window, and a link must not
    // carry the lines into another file.
    const auto open = [&path] {
        return ::open(path.c_str(),
                      O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0644);
    };
    FileDescriptor owner(open());
    if (!owner.valid() && errno == ENOENT) {
        if (int error = makeDirectories(directory_, 0700)) {
            return failure(directory_, error);
        }
        owner.reset(open());
    }
    const int fd = owner.get();
    if (fd < 0 && errno == ELOOP) {
        return path + ": " + translateDefault("символическая ссылка, журнал по ней не пишется");
    }
    if (fd < 0) {
        return failure(path, errno);
    }
    struct stat info {};
    int error = ::fstat(fd, &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : kNotARegularFile;
    // A line left unfinished (by a full disk, or another program) gets a line
    // end of its own, so that this line does not run on from it.
    char last = '\n';
    const bool unfinished = error == 0 && info.st_size > 0 &&
                            ::pread(fd, &last, 1, info.st_size - 1) == 1 && last != '\n';
    const std::string text = unfinished ? "\n" + line : line;
    // One write: the line whole beside another program's lines, or not at all.
    ssize_t n = -1;
    while (error == 0 && (n = ::write(fd, text.data(), text.size())) < 0 && errno == EINTR) {
    }
    if (error == 0 && n != static_cast<ssize_t>(text.size())) {
        // A regular file takes less when the disk is full or the file is at
        // its size limit (`ulimit -f`); writing the rest tells which.
        const ssize_t rest =
            n < 0 ? -1 : ::write(fd, text.data() + n, text.size() - std::size_t(n));
        error = n < 0 || rest < 0 ? errno : ENOSPC;
        if (n > 0) {
            takeBack(fd, n + std::max<ssize_t>(rest, 0));
        }
    }
    if (const int closeError = owner.close(); error == 0) {
        error = closeError;
    }
    return error == 0 ? std::string() : failure(path, error);
}

void Journal::prune(std::chrono::system_clock::time_point now) const {
    struct File {
        std::string name;
        long long size;
    };
    std::vector<File> files;
    for (const std::string& name : directoryNames(directory_)) {
        struct stat info {};
        if (isDayFile(name) && ::lstat((directory_ + "/" + name).c_str(), &info) == 0 &&
            S_ISREG(info.st_mode)) {
            files.push_back({name, static_cast<long long>(info.st_size)});
        }
    }
    std::sort(files.begin(), files.end(),
              [](const File& a, const File& b) { return a.name < b.name; });

    // Newest first: a day goes when it is older than kKeptDays, or does not fit
    // in what is left of kKeptBytes, so one oversized day takes only itself.
    const std::string today = dayOf(localTime(now)) + ".log";
    const std::string oldestKept =
        dayOf(localTime(now - std::chrono::hours(24 * kKeptDays))) + ".log";
    long long total = 0;
    for (auto f = files.rbegin(); f != files.rend(); ++f) {
        if (f->name >= today) {
            continue;  // written today, or dated by a clock that was wrong
        }
        if (f->name >= oldestKept && total + f->size <= kKeptBytes) {
            total += f->size;
        } else {
            ::unlink((directory_ + "/" + f->name).c_str());
        }
    }
}

}  // namespace stela
