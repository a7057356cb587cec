#include "store/RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>

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

const char* registryRootName(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string registryDirectory() {
    return configDirectory() + "/registry";
}

RegistryKey::RegistryKey(RegistryRoot root, std::string path)
    : root_(root), path_(std::move(path)) {}

void RegistryKey::writeString(const std::string& name, const std::string& value) {
    written_.emplace_back(name, RegValue::string(value));
}

void RegistryKey::writeInteger(const std::string& name, std::int32_t value) {
    written_.emplace_back(name, RegValue::dword(std::uint32_t(value)));
}

int RegistryKey::commit() {
    if (!validPath(path_)) {
        return EINVAL;
    }
    const std::string dir = registryDirectory();
    if (int error = makeDirectories(dir, 0700)) {
        return error;
    }
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return errno;
    }
    int error = lockDirectory(dirFd);
    if (error == 0) {
        error = update(dirFd);
    }
    ::close(dirFd);  // and with it the lock
    return error;
}

int RegistryKey::update(int dirFd) const {
    const std::string fileName = std::string(registryRootName(root_)) + ".reg";
    std::string text;
    const int error = readFileAt(dirFd, fileName, text, kMaxFileSize);
    if (error != 0 && error != ENOENT) {
        return error;
    }
    // An empty file holds nothing to keep.
    std::optional<RegFile> file = text.empty() ? RegFile() : RegFile::parse(text);
    if (!file) {
        return EBADMSG;
    }
    const std::string key = std::string(registryRootName(root_)) + "\\" + path_;
    for (const auto& [name, value] : written_) {
        if (!file->setValue(key, name, value)) {
            return EINVAL;
        }
    }
    return replaceFileAt(dirFd, fileName, file->text(), 0600);
}

}  // namespace stela
