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
    // the file atomically. Returns 0, or the errno of what failed with the file as it
    // was: EBADMSG when the file is not one this store can read (it is never
    // overwritten), EINVAL when the path, a name or a text cannot be stored.
    int commit();

private:
    int update(int dirFd) const;

    RegistryRoot root_;
    std::string path_;
    std::vector<std::pair<std::string, RegValue>> written_;
};

}  // namespace stela
