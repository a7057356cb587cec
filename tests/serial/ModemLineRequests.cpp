#include "tests/serial/ModemLineRequests.h"

#include <sys/ioctl.h>

#include <cstdarg>
#include <map>
#include <mutex>

#include "tests/serial/EmulatedLineCounters.h"

namespace stela::test {
namespace {

std::mutex mutex;
std::map<int, ModemLineRequest> requests;  // by line

void note(int fd, unsigned long request, const int* lines) {
    if (request != TIOCMBIS && request != TIOCMBIC && request != TIOCMSET) {
        return;
    }
    const std::lock_guard<std::mutex> lock(mutex);
    for (int line : {TIOCM_DTR, TIOCM_RTS}) {
        if (request == TIOCMSET) {
            requests[line] = {fd, (*lines & line) != 0};
        } else if (*lines & line) {
            requests[line] = {fd, request == TIOCMBIS};
        }
    }
}

}  // namespace

ModemLineRequest lastModemLineRequest(int line) {
    const std::lock_guard<std::mutex> lock(mutex);
    const auto it = requests.find(line);
    return it == requests.end() ? ModemLineRequest{} : it->second;
}

void forgetModemLineRequests() {
    const std::lock_guard<std::mutex> lock(mutex);
    requests.clear();
}

}  // namespace stela::test

// Every request these ioctls take is a pointer (or an integer passed in its place),
// which is also how the C library reads the argument.
extern "C" int __real_ioctl(int fd, unsigned long request, ...);

extern "C" int __wrap_ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* const arg = va_arg(args, void*);
    va_end(args);
    stela::test::note(fd, request, static_cast<const int*>(arg));
    int result = 0;
    if (stela::test::emulatedLineRequest(fd, request, arg, result)) {
        return result;
    }
    return __real_ioctl(fd, request, arg);
}
