#pragma once

#include <memory>
#include <ostream>
#include <string>

namespace stela::cli {

// What stela-cli writes to files it is given. Nothing but a regular file is
// ever emptied or replaced: a device, a FIFO, a folder or a socket at the path
// is left as it is, and the message says which it was.

// The operation log of --log, emptied only once it is known not to be the
// prices file under any name (the same path, or the same device and inode).
// A FIFO with a reader or a character device (/dev/stderr) is written to as it
// stands; a FIFO nobody reads or a block device is refused at once, so nothing
// waits on it. Throws InputError.
std::unique_ptr<std::ostream> openLog(const std::string& path, const std::string& pricesPath);

// Why `path` was not replaced (by store/AtomicFile.h's replaceFile), in words.
std::string replaceFailure(const std::string& path, int error);

}  // namespace stela::cli
