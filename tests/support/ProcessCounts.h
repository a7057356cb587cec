#pragma once

#include <dirent.h>

#include <thread>

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

// A sanitizer's runtime starts a thread of its own along with the first one
// the program starts; one is started (and ended) first, so that it is counted
// from the start.
inline int threadCount() {
    static const bool runtimeStarted = (std::thread([] {}).join(), true);
    (void)runtimeStarted;
    return procEntries("/proc/self/task");
}

inline int openFdCount() {
    return procEntries("/proc/self/fd");
}

}  // namespace stela::test
