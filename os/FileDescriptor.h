#pragma once

#include <unistd.h>

#include <cerrno>

#include "os/UniqueHandle.h"

namespace stela {

struct DescriptorTraits {
    using Handle = int;
    static constexpr int none() { return -1; }
    static void close(int fd) { ::close(fd); }
};

// Owns an open file descriptor and closes it when it goes, on every path out.
class FileDescriptor : public UniqueHandle<DescriptorTraits> {
public:
    using UniqueHandle::UniqueHandle;

    // Closes now and tells how it went (0 or an errno value): a written file's
    // close may be the first to report that its data did not reach the disk.
    int close() {
        const int fd = release();
        return fd < 0 || ::close(fd) == 0 ? 0 : errno;
    }
};

}  // namespace stela
