#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "store/RegFile.h"

namespace stela {

// The settings store's keys. On Windows they are the registry's own. On Linux
// the registry's stand-in is one file per root,
// configDirectory()/registry/HKEY_LOCAL_MACHINE.reg and .../HKEY_CURRENT_USER.reg,
// in the text format of registry exports, so that values stay typed, readable and
// importable on Windows.

enum class RegistryRoot { LocalMachine, CurrentUser };

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* registryRootName(RegistryRoot root);

// configDirectory()/registry: where the files are on Linux (Windows has none).
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
    int error = 0;  // the system's number commit() returned: errno, or the registry's code
    // The file (past any symbolic link) or the folder; on Windows the key, or
    // the value that failed.
    std::string path;
    RegFile::ParseFailure parse;
};

// A key opened for writing, `path` below the root ("Software\ORVENA\ComPort").
// Values written to it are held until commit. On Linux commit puts all of them
// into the root's file at once, or none; Windows' registry takes them one by
// one, so that a failure there leaves those before it stored.
class RegistryKey {
public:
    RegistryKey(RegistryRoot root, std::string path);

    RegistryRoot root() const { return root_; }
    const std::string& path() const { return path_; }

    void writeString(const std::string& name, const std::string& value);
    // A 32-bit number; negative values are stored in two's complement.
    void writeInteger(const std::string& name, std::int32_t value);

    // Stores the written values and no other. Returns 0, or the system's number
    // of what failed (failure() says what, by its kind).
    // Linux: reads the root's file, changes the values and replaces the file
    // atomically, in the encoding it was read in and with its mode. A symbolic
    // link is followed and the file at its end replaced, so the link stays. The
    // errno is EBADMSG when the file is not one this store can read (it is never
    // overwritten), kNotARegularFile, EACCES for a file without its owner's
    // write permission, EINVAL when the path, a name or a text cannot be stored.
    // Windows: creates the key and sets the values; the registry's error code.
    int commit();

    // What the last commit that failed found wrong.
    const StoreFailure& failure() const { return failure_; }

private:
    int fail(StoreFailure::Kind kind, int error, std::string path);
    // Linux's steps of commit.
    int update(const std::string& dir);
    int replaceValues(int dirFd, const std::string& path, const std::string& name);

    RegistryRoot root_;
    std::string path_;
    std::vector<std::pair<std::string, RegValue>> written_;
    StoreFailure failure_;
};

}  // namespace stela
