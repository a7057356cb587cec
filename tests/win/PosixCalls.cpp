#include <direct.h>
#include <io.h>
#include <stdlib.h>

#include <cstring>

extern "C" int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && getenv(name) != nullptr) {
        return 0;
    }
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

// An empty value removes the variable from the C runtime's environment.
extern "C" int unsetenv(const char* name) {
    return _putenv_s(name, "") == 0 ? 0 : -1;
}

extern "C" char* mkdtemp(char* pattern) {
    const std::size_t size = std::strlen(pattern) + 1;
    if (_mktemp_s(pattern, size) != 0 || _mkdir(pattern) != 0) {
        return nullptr;
    }
    return pattern;
}
