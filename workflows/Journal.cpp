#include "workflows/Journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string_view>

#include "store/AtomicFile.h"
#include "store/ConfigDirectory.h"

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
    return path + ": " + std::strerror(error);
}

}  // namespace

std::string journalDirectory() {
    return stateDirectory() + "/journal";
}

Journal::Journal(std::string directory, std::function<std::string()> port, Now now)
    : directory_(std::move(directory)), port_(std::move(port)), now_(std::move(now)) {}

void Journal::appendLog(const std::string& line) {
    const auto when = now_();
    const std::tm local = localTime(when);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()) % 1000;
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(millis.count()));
    const std::string port = port_();
    pending_.push_back({dayOf(local), std::string(stamp) + fraction + " " +
                                          (port.empty() ? "-" : port) + " " + line + "\n"});
}

std::string Journal::flush() {
    std::vector<Line> lines;
    lines.swap(pending_);
    if (lines.empty()) {
        return {};
    }
    if (int error = makeDirectories(directory_, 0700)) {
        return failure(directory_, error);
    }
    // An operation over midnight goes to two files.
    std::string problem;
    for (std::size_t first = 0; first < lines.size();) {
        std::string text;
        std::size_t end = first;
        for (; end < lines.size() && lines[end].day == lines[first].day; ++end) {
            text += lines[end].text;
        }
        if (problem.empty()) {
            problem = appendTo(lines[first].day, text);
        }
        first = end;
    }
    prune(now_());
    return problem;
}

std::string Journal::appendTo(const std::string& day, const std::string& text) const {
    const std::string path = directory_ + "/" + day + ".log";
    // Without blocking, and only to a regular file: a FIFO put there must not hang
    // the window.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        return failure(path, errno);
    }
    struct stat info {};
    int error = ::fstat(fd, &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : kNotARegularFile;
    // One write keeps the operation's lines together beside another program's.
    std::string_view rest = text;
    while (error == 0 && !rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    return error == 0 ? std::string() : failure(path, error);
}

void Journal::prune(std::chrono::system_clock::time_point now) const {
    DIR* dir = ::opendir(directory_.c_str());
    if (dir == nullptr) {
        return;
    }
    struct File {
        std::string name;
        long long size;
    };
    std::vector<File> files;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info {};
        if (isDayFile(entry->d_name) &&
            ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode)) {
            files.push_back({entry->d_name, static_cast<long long>(info.st_size)});
        }
    }
    ::closedir(dir);
    std::sort(files.begin(), files.end(),
              [](const File& a, const File& b) { return a.name < b.name; });

    const std::string today = dayOf(localTime(now)) + ".log";
    const std::string oldestKept =
        dayOf(localTime(now - std::chrono::hours(24 * kKeptDays))) + ".log";
    long long total = 0;
    for (const File& f : files) {
        total += f.size;
    }
    for (const File& f : files) {
        if (f.name >= today || (f.name >= oldestKept && total <= kKeptBytes)) {
            break;
        }
        ::unlink((directory_ + "/" + f.name).c_str());
        total -= f.size;
    }
}

}  // namespace stela
