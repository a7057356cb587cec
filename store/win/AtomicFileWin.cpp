#include <direct.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "os/PathSeparators.h"
#include "os/win/WinHandle.h"
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

// A device (NUL, CON, COM3: any name of one, whatever its extension), a pipe
// or a folder opens as well; its type tells.
FileKind fileKindAt(const std::string& path) {
    const FileHandle file(
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) {
        return FileKind::Missing;
    }
    const DWORD type = ::GetFileType(file.get());
    BY_HANDLE_FILE_INFORMATION info{};
    const bool folder = ::GetFileInformationByHandle(file.get(), &info) != 0 &&
                        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return folder                   ? FileKind::Folder
           : type == FILE_TYPE_CHAR ? FileKind::CharacterDevice
           : type == FILE_TYPE_PIPE ? FileKind::Fifo
                                    : FileKind::Regular;
}

// An existing file is replaced with ReplaceFile, which keeps its owner,
// permissions and attributes. Windows' links are not followed.
int replaceFile(const std::string& path, std::string_view contents, mode_t) {
    const FileKind kind = fileKindAt(path);
    if (kind != FileKind::Missing && kind != FileKind::Regular) {
        return kNotARegularFile;
    }
    if (path.empty() || path.find_last_of(kPathSeparators) == path.size() - 1) {
        return EISDIR;
    }
    const std::string temp = path + ".tmp";
    FileHandle file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return errnoOf(::GetLastError());
    }
    DWORD error = 0;
    while (error == 0 && !contents.empty()) {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1 << 20));
        if (!::WriteFile(file.get(), contents.data(), size, &written, nullptr) || written == 0) {
            error = written == 0 && ::GetLastError() == 0 ? ERROR_WRITE_FAULT : ::GetLastError();
        }
        contents.remove_prefix(written);
    }
    if (error == 0 && !::FlushFileBuffers(file.get())) {
        error = ::GetLastError();
    }
    file.reset();
    const bool moved =
        error == 0 && (kind == FileKind::Regular
                           ? ::ReplaceFileA(path.c_str(), temp.c_str(), nullptr,
                                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                           : ::MoveFileExA(temp.c_str(), path.c_str(),
                                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    if (error == 0 && !moved) {
        error = ::GetLastError();
    }
    if (error != 0) {
        ::DeleteFileA(temp.c_str());
        return errnoOf(error);
    }
    return 0;
}

}  // namespace stela
