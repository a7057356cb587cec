#include "store/RegistryKey.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <optional>
#include <thread>

#include "os/FileDescriptor.h"
#include "store/AtomicFile.h"
#include "store/ConfigDirectory.h"

namespace stela {
namespace {

// Far above any settings file; keeps a stray huge file from being read whole.
constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

// Each component of a path below a root is a non-empty name.
bool validPath(const std::string& path) {
    return !path.empty() && path.front() != '\\' && path.back() != '\\' &&
           path.find("\\\\") == std::string::npos;
}

// Saves from two running programs take turns on the directory, so that neither
// loses the other's values. A holder keeps it for milliseconds; waiting is bounded.
int lockDirectory(int dirFd) {
    for (int attempt = 0; attempt < 400; ++attempt) {
        if (::flock(dirFd, LOCK_EX | LOCK_NB) == 0) {
            return 0;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return errno;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return EWOULDBLOCK;
}

}  // namespace

std::string registryDirectory() {
    return configDirectory() + "/registry";
}

int RegistryKey::commit() {
    failure_ = StoreFailure{};
    const std::string dir = registryDirectory();
    if (!validPath(path_)) {
        return fail(StoreFailure::Kind::Unstorable, EINVAL, dir);
    }
    if (int error = makeDirectories(dir, 0700)) {
        return fail(StoreFailure::Kind::System, error, dir);
    }
    // Closing it lets go of the lock.
    const FileDescriptor dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd.valid()) {
        return fail(StoreFailure::Kind::System, errno, dir);
    }
    if (int error = lockDirectory(dirFd.get())) {
        return fail(StoreFailure::Kind::System, error, dir);
    }
    return update(dir);
}

int RegistryKey::update(const std::string& dir) {
    const std::string link = dir + "/" + registryRootName(root_) + ".reg";
    std::string path;
    if (int error = followLinks(link, path)) {
        return fail(StoreFailure::Kind::System, error, link);
    }
    // The file's folder by its real name, so that messages name it plainly.
    const std::size_t slash = path.rfind('/');
    char* real = ::realpath(slash == 0 ? "/" : path.substr(0, slash).c_str(), nullptr);
    if (real == nullptr) {
        return fail(StoreFailure::Kind::System, errno, path);
    }
    const std::string fileDir = real;
    std::free(real);
    const std::string fileName = path.substr(slash + 1);
    path = (fileDir == "/" ? "" : fileDir) + "/" + fileName;
    const FileDescriptor fileDirFd(::open(fileDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fileDirFd.valid()) {
        return fail(StoreFailure::Kind::System, errno, fileDir);
    }
    return replaceValues(fileDirFd.get(), path, fileName);
}

int RegistryKey::replaceValues(int dirFd, const std::string& path, const std::string& name) {
    std::string text;
    mode_t mode = 0600;  // a new file's
    const int error = readFileAt(dirFd, name, text, kMaxFileSize, &mode);
    if (error == kNotARegularFile) {
        return fail(StoreFailure::Kind::NotRegularFile, error, path);
    }
    if (error != 0 && error != ENOENT) {
        return fail(StoreFailure::Kind::System, error, path);
    }
    if (error == 0 && (mode & S_IWUSR) == 0) {
        return fail(StoreFailure::Kind::ReadOnlyFile, EACCES, path);
    }
    // An empty file holds nothing to keep.
    std::optional<RegFile> file = text.empty() ? RegFile() : RegFile::parse(text, &failure_.parse);
    if (!file) {
        return fail(StoreFailure::Kind::Unreadable, EBADMSG, path);
    }
    const std::string key = std::string(registryRootName(root_)) + "\\" + path_;
    for (const auto& [valueName, value] : written_) {
        if (!file->setValue(key, valueName, value)) {
            return fail(StoreFailure::Kind::Unstorable, EINVAL, path);
        }
    }
    if (int replaced = replaceFileAt(dirFd, name, file->text(), mode)) {
        return fail(StoreFailure::Kind::System, replaced, path);
    }
    return 0;
}

}  // namespace stela
