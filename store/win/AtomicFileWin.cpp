#include <direct.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "os/win/WideText.h"
#include "store/AtomicFile.h"

namespace stela {
namespace {

// The errno nearest to a Windows error, for the callers' strerror.
int errnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        default:
            return EIO;
    }
}

}  // namespace

// Either separator; a drive ("C:") or a share is taken as there.
int makeDirectories(const std::string& path, mode_t) {
    for (std::size_t slash = path.find_first_of("\\/", 1);;
         slash = path.find_first_of("\\/", slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        const bool root = prefix.size() == 2 && prefix[1] == ':';
        if (!root && !prefix.empty() && ::_mkdir(prefix.c_str()) != 0 && errno != EEXIST &&
            errno != EACCES) {
            return errno;
        }
        if (slash == std::string::npos) {
            return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES ? 0 : errno;
        }
    }
}

// The folder and name are in UTF-8.
int replaceFile(const std::string& folder, const std::string& name, std::string_view contents,
                mode_t) {
    const DWORD attributes = ::GetFileAttributesW(widened(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return attributes == INVALID_FILE_ATTRIBUTES ? errnoOf(::GetLastError()) : ENOTDIR;
    }
    if (name.empty()) {
        return EISDIR;
    }
    const std::wstring path = widened(folder + "\\" + name);
    const std::wstring temp = path + L".tmp";
    const HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return errnoOf(::GetLastError());
    }
    DWORD error = 0;
    while (error == 0 && !contents.empty()) {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1 << 20));
        if (!::WriteFile(file, contents.data(), size, &written, nullptr) || written == 0) {
            error = written == 0 && ::GetLastError() == 0 ? ERROR_WRITE_FAULT : ::GetLastError();
        }
        contents.remove_prefix(written);
    }
    if (error == 0 && !::FlushFileBuffers(file)) {
        error = ::GetLastError();
    }
    ::CloseHandle(file);
    if (error == 0 && !::MoveFileExW(temp.c_str(), path.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
    }
    if (error != 0) {
        ::DeleteFileW(temp.c_str());
        return errnoOf(error);
    }
    return 0;
}

}  // namespace stela
