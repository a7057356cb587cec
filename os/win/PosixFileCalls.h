#pragma once

// The POSIX file calls and flags the journal and stela-cli's --log use, from
// the Windows C runtime. Files open in binary mode (no CR is added to a line
// end) and are not inherited by child processes; Windows has no FIFOs to wait
// on, and its links are not followed by these calls' callers anyway.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>

#define O_NONBLOCK 0
#define O_NOFOLLOW 0
#define O_NOCTTY 0
#define O_CLOEXEC (O_BINARY | O_NOINHERIT)

inline std::tm* localtime_r(const std::time_t* seconds, std::tm* local) {
    return ::localtime_s(local, seconds) == 0 ? local : nullptr;
}

// Reads at `offset` and puts the file position back, as pread leaves it.
inline ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    const __int64 position = ::_lseeki64(fd, 0, SEEK_CUR);
    if (position < 0 || ::_lseeki64(fd, offset, SEEK_SET) < 0) {
        return -1;
    }
    const int n = ::_read(fd, buffer, static_cast<unsigned>(count));
    ::_lseeki64(fd, position, SEEK_SET);
    return n;
}

// Nothing to wait on without O_NONBLOCK: a file's flags stay as opened.
#define F_SETFL 4
inline int fcntl(int, int, int) {
    return 0;
}

inline int lstat(const char* path, struct stat* info) {
    return ::stat(path, info);
}
