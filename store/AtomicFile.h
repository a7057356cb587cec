#pragma once

#include <errno.h>
#include <stdio.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace stela {

// Files that are replaced whole: a reader, or the next run after a crash or a full
// disk, finds the old contents or the new ones, never a mix. Each call returns 0 or
// the errno of the step that failed.

// Creates the directory and any missing parents with `mode`.
int makeDirectories(const std::string& path, mode_t mode);

// What readFileAt and replaceFileAt say of a name that is no regular file (a
// FIFO, a folder, a device, a socket): it is never read, so it cannot hang the
// reader, and left as it is, never replaced.
inline constexpr int kNotARegularFile = ENOTSUP;

// What replaceFileAt says of a file whose owner and group the new one could
// not be given (another user's, and no right to chown): it is left as it is.
inline constexpr int kOwnerNotKept = EPERM;

// What opening a FIFO nobody reads, or a device without its driver, to write
// without waiting (O_NONBLOCK) fails with: nothing at the other end.
inline constexpr int kNobodyAtTheOtherEnd = ENXIO;

// What is at a path, through symbolic links.
enum class FileKind { Missing, Regular, Folder, CharacterDevice, BlockDevice, Fifo, Socket };
FileKind fileKindAt(const std::string& path);

// Replaces the file at `path` with `contents` as replaceFileAt does, `mode`
// being a new file's. A symbolic link stays: the file it leads to is replaced
// (or made). EISDIR when `path` names a folder by its trailing separator.
int replaceFile(const std::string& path, std::string_view contents, mode_t mode);

#ifndef _WIN32
// Folders held open and symbolic links: the POSIX store's (posix/RegistryKeyPosix.cpp).

// The whole of `name` in the directory, and its permission bits when `mode` is
// given; ENOENT when there is none, kNotARegularFile, EFBIG when it is larger
// than maxSize.
int readFileAt(int dirFd, const std::string& name, std::string& contents, std::size_t maxSize,
               mode_t* mode = nullptr);

// Where a chain of symbolic links starting at `path` ends, as git's lockfile
// follows it to replace the file at its end: each relative target is taken
// against its link's folder. A name that is no link, or does not exist yet,
// ends the chain. 0 or the errno (ELOOP after 40 links).
int followLinks(const std::string& path, std::string& target);

using RenameAtFunction = int (*)(int, const char*, int, const char*);

// Writes `contents` to name + ".tmp" in the directory (synced), renames it over
// `name` and syncs the directory. Only a regular file or nothing is replaced
// (else kNotARegularFile), and the new file keeps the old one's mode, owner and
// group (else kOwnerNotKept); `mode` is a new file's. The temporary is gone
// afterwards, whatever failed; one left by a crash is replaced. Callers keep
// other writers of the same name out while this runs. Tests pass a renameAt
// that fails.
int replaceFileAt(int dirFd, const std::string& name, std::string_view contents, mode_t mode,
                  RenameAtFunction renameAt = ::renameat);
#endif

}  // namespace stela
