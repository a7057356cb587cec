// The settings store on Windows: the registry itself.
#include <windows.h>

#include "os/win/WinHandle.h"
#include "store/RegistryKey.h"

namespace stela {
namespace {

// Each component of a path below a root is a non-empty name.
bool validPath(const std::string& path) {
    return !path.empty() && path.front() != '\\' && path.back() != '\\' &&
           path.find("\\\\") == std::string::npos;
}

HKEY rootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// REG_SZ: the bytes and one terminating NUL; REG_DWORD: 4 bytes, little-endian.
LONG setValue(HKEY key, const std::string& name, const RegValue& value) {
    if (value.type == RegValue::Type::Dword) {
        const DWORD number = value.number;
        return RegSetValueExA(key, name.c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&number), sizeof number);
    }
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.text.c_str()),
                          DWORD(value.text.size() + 1));
}

}  // namespace

// Values go in one by one, in the order written: a failure leaves those before
// it stored. Without write access (HKEY_LOCAL_MACHINE for a user who is not an
// administrator) the key does not open and nothing is stored.
int RegistryKey::commit() {
    failure_ = StoreFailure{};
    const std::string keyName = std::string(registryRootName(root_)) + "\\" + path_;
    if (!validPath(path_)) {
        return fail(StoreFailure::Kind::Unstorable, ERROR_INVALID_NAME, keyName);
    }
    HKEY created = nullptr;
    LONG error = RegCreateKeyExA(rootKey(root_), path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_ALL_ACCESS, nullptr, &created, nullptr);
    if (error != ERROR_SUCCESS) {
        return fail(StoreFailure::Kind::System, int(error), keyName);
    }
    const RegistryKeyHandle key(created);
    for (const auto& [name, value] : written_) {
        error = setValue(key.get(), name, value);
        if (error != ERROR_SUCCESS) {
            return fail(StoreFailure::Kind::System, int(error), keyName + "\\" + name);
        }
    }
    return 0;
}

}  // namespace stela
