#pragma once

#include <dirent.h>

namespace stela::test {

// Entries of a /proc/self directory (threads, open descriptors), counted
// without "." and "..". The count of fds includes the one reading them.
inline int procEntries(const char* directory) {
    int count = 0;
    if (DIR* dir = opendir(directory)) {
        while (const dirent* entry = readdir(dir)) {
            count += entry->d_name[0] != '.';
        }
        closedir(dir);
    }
    return count;
}

inline int threadCount() {
    return procEntries("/proc/self/task");
}

inline int openFdCount() {
    return procEntries("/proc/self/fd");
}

}  // namespace stela::test
