#pragma once

#include <dirent.h>

#include <chrono>
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

// A thread that has been joined, or a descriptor just closed, can stay listed
// in /proc for a moment after the call that ended it returns (seen under load).
// Reads `count` until it equals `expected`, for at most two seconds, and returns
// what it read last: compare that with `expected`.
template <typename Count>
int countOnceSettled(Count count, int expected) {
    int now = count();
    for (int i = 0; i < 400 && now != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        now = count();
    }
    return now;
}

inline int threadCountReaching(int expected) {
    return countOnceSettled(threadCount, expected);
}

inline int openFdCountReaching(int expected) {
    return countOnceSettled(openFdCount, expected);
}

}  // namespace stela::test
