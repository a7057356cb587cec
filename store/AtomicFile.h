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

// What readFileAt says of a name that is no regular file (a FIFO, a folder, a
// device): it is never read, so it cannot hang the reader.
inline constexpr int kNotARegularFile = ENOTSUP;

// Replaces `name` in `folder` with `contents` (mode `mode`) as replaceFileAt
// does; EISDIR when `name` is empty.
int replaceFile(const std::string& folder, const std::string& name, std::string_view contents,
                mode_t mode);

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

// Writes `contents` to name + ".tmp" in the directory (mode `mode`, synced), renames it
// over `name` and syncs the directory. The temporary is gone afterwards, whatever
// failed; one left by a crash is replaced. Callers keep other writers of the same
// name out while this runs. Tests pass a renameAt that fails.
int replaceFileAt(int dirFd, const std::string& name, std::string_view contents, mode_t mode,
                  RenameAtFunction renameAt = ::renameat);
#endif

}  // namespace stela
