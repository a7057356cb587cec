#include "store/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "os/FileDescriptor.h"

namespace stela {
namespace {

int writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        data.remove_prefix(std::size_t(n));
    }
    return 0;
}

}  // namespace

int makeDirectories(const std::string& path, mode_t mode) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (::mkdir(prefix.c_str(), mode) != 0 && errno != EEXIST) {
            return errno;
        }
        if (slash == std::string::npos) {
            return 0;
        }
    }
}

int readFileAt(int dirFd, const std::string& name, std::string& contents, std::size_t maxSize,
               mode_t* mode) {
    contents.clear();
    // Without blocking: opening a FIFO for reading would wait for a writer.
    const FileDescriptor owner(::openat(dirFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const int fd = owner.get();
    if (fd < 0) {
        return errno;
    }
    struct stat info {};
    const int statError = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (statError != 0 || !S_ISREG(info.st_mode)) {
        return statError != 0 ? statError : kNotARegularFile;
    }
    if (mode != nullptr) {
        *mode = info.st_mode & 07777;
    }
    int error = 0;
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        if (contents.size() + std::size_t(n) > maxSize) {
            error = EFBIG;
            break;
        }
        contents.append(chunk, std::size_t(n));
    }
    return error;
}

int followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int links = 0; links < 40; ++links) {
        char buffer[4096];
        const ssize_t n = ::readlink(target.c_str(), buffer, sizeof buffer);
        if (n < 0) {
            return errno == EINVAL || errno == ENOENT ? 0 : errno;
        }
        if (std::size_t(n) == sizeof buffer) {
            return ENAMETOOLONG;
        }
        const std::string link(buffer, std::size_t(n));
        target = link[0] == '/' ? link : target.substr(0, target.rfind('/') + 1) + link;
    }
    return ELOOP;
}

FileKind fileKindAt(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return FileKind::Missing;
    }
    switch (info.st_mode & S_IFMT) {
        case S_IFDIR:
            return FileKind::Folder;
        case S_IFCHR:
            return FileKind::CharacterDevice;
        case S_IFBLK:
            return FileKind::BlockDevice;
        case S_IFIFO:
            return FileKind::Fifo;
        case S_IFSOCK:
            return FileKind::Socket;
        default:
            return FileKind::Regular;
    }
}

int replaceFileAt(int dirFd, const std::string& name, std::string_view contents, mode_t mode,
                  RenameAtFunction renameAt) {
    struct stat old {};
    const bool replacing = ::fstatat(dirFd, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!replacing && errno != ENOENT) {
        return errno;
    }
    if (replacing && !S_ISREG(old.st_mode)) {
        return kNotARegularFile;  // a device, a FIFO, a folder: no file to replace
    }
    mode = replacing ? old.st_mode & 07777 : mode;
    const std::string temp = name + ".tmp";
    ::unlinkat(dirFd, temp.c_str(), 0);
    FileDescriptor owner(
        ::openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    const int fd = owner.get();
    if (fd < 0) {
        return errno;
    }
    int error = writeAll(fd, contents);
    struct stat made {};
    if (error == 0 && replacing && ::fstat(fd, &made) == 0 &&
        (made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        error = errno == EPERM ? kOwnerNotKept : errno;
    }
    // After the owner (a change of owner clears the set-id bits); the umask
    // may have taken bits away.
    if (error == 0 && ::fchmod(fd, mode) != 0) {
        error = errno;
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (const int closeError = owner.close(); error == 0) {
        error = closeError;
    }
    if (error == 0 && renameAt(dirFd, temp.c_str(), dirFd, name.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlinkat(dirFd, temp.c_str(), 0);
        return error;
    }
    // The new file is in place; without this its name may not survive a power cut.
    return ::fsync(dirFd) == 0 ? 0 : errno;
}

int replaceFile(const std::string& path, std::string_view contents, mode_t mode) {
    std::string target;
    if (const int error = followLinks(path, target)) {
        return error;
    }
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : target.substr(0, slash);
    const std::string name = target.substr(slash + 1);  // all of it when there is no slash
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) {
        return errno;
    }
    return name.empty() ? EISDIR : replaceFileAt(dir.get(), name, contents, mode);
}

}  // namespace stela
