// What a key of the store is on every system: its place and the values written
// to it, held until commit (posix/RegistryKeyPosix.cpp, win/RegistryKeyWin.cpp).
#include "store/RegistryKey.h"

namespace stela {

const char* registryRootName(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

RegistryKey::RegistryKey(RegistryRoot root, std::string path)
    : root_(root), path_(std::move(path)) {}

void RegistryKey::writeString(const std::string& name, const std::string& value) {
    written_.emplace_back(name, RegValue::string(value));
}

void RegistryKey::writeInteger(const std::string& name, std::int32_t value) {
    written_.emplace_back(name, RegValue::dword(std::uint32_t(value)));
}

int RegistryKey::fail(StoreFailure::Kind kind, int error, std::string path) {
    failure_.kind = kind;
    failure_.error = error;
    failure_.path = std::move(path);
    return error;
}

}  // namespace stela
