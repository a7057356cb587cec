#include <windows.h>

#include <optional>
#include <utility>

#include "os/SameFile.h"
#include "os/win/WinHandle.h"

namespace stela {
namespace {

// The volume and the file's index on it: the C runtime's stat has no inode.
std::optional<std::pair<DWORD, ULONGLONG>> identity(const std::string& path) {
    const FileHandle file(CreateFileA(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || GetFileInformationByHandle(file.get(), &info) == 0) {
        return std::nullopt;
    }
    return std::make_pair(info.dwVolumeSerialNumber,
                          (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
}

}  // namespace

bool isSameFile(const std::string& a, const std::string& b) {
    const auto first = identity(a);
    return first && first == identity(b);
}

}  // namespace stela
