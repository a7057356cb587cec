#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "store/RegFile.h"

namespace stela {

// The registry's stand-in on Linux: one file per root,
// configDirectory()/registry/HKEY_LOCAL_MACHINE.reg and .../HKEY_CURRENT_USER.reg,
// in the text format of registry exports, so that values stay typed, readable and
// importable on Windows.

enum class RegistryRoot { LocalMachine, CurrentUser };

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* registryRootName(RegistryRoot root);

// configDirectory()/registry
std::string registryDirectory();

// Why a commit failed, in terms the operator can act on.
struct StoreFailure {
    enum class Kind {
        System,          // the system's `error` at `path`
        NotRegularFile,  // `path` is a FIFO, a folder or a device: never opened for reading
        ReadOnlyFile,    // `path` has no write permission for its owner: left as it is
        Unreadable,      // `path` is no file this store can read: `parse` says where and why
        Unstorable,      // the key's path, a name or a text cannot be stored
    };
    Kind kind = Kind::System;
    int error = 0;     // the errno commit() returned
    std::string path;  // the file (past any symbolic link), or the folder
    RegFile::ParseFailure parse;
};

// A key opened for writing, `path` below the root ("Software\ORVENA\ComPort").
// Values written to it are held until commit, which puts all of them into the
// root's file at once, or none.
class RegistryKey {
public:
    RegistryKey(RegistryRoot root, std::string path);

    RegistryRoot root() const { return root_; }
    const std::string& path() const { return path_; }

    void writeString(const std::string& name, const std::string& value);
    // A 32-bit number; negative values are stored in two's complement.
    void writeInteger(const std::string& name, std::int32_t value);

    // Reads the root's file, changes the written values and no other, and replaces
    // the file atomically, in the encoding it was read in and with its mode. A
    // symbolic link is followed and the file at its end replaced, so the link
    // stays. Returns 0, or the errno of what failed with the file as it was
    // (failure() says more): EBADMSG when the file is not one this store can read
    // (it is never overwritten), kNotARegularFile, EACCES for a file without its
    // owner's write permission, EINVAL when the path, a name or a text cannot be
    // stored.
    int commit();

    // What the last commit that failed found wrong.
    const StoreFailure& failure() const { return failure_; }

private:
    int fail(StoreFailure::Kind kind, int error, std::string path);
    int update(const std::string& dir);
    int replaceValues(int dirFd, const std::string& path, const std::string& name);

    RegistryRoot root_;
    std::string path_;
    std::vector<std::pair<std::string, RegValue>> written_;
    StoreFailure failure_;
};

}  // namespace stela
