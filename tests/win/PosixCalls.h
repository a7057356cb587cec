#pragma once

// The POSIX calls the suites use to set up a case, which the Windows C runtime
// names differently; force-included into the Windows test programs, so that
// the suites stay the ones Linux runs.
#include <locale.h>

// Windows' C runtime has no category of its own for messages.
#ifndef LC_MESSAGES
#define LC_MESSAGES LC_ALL
#endif

#ifdef __cplusplus
extern "C" {
#endif
int setenv(const char* name, const char* value, int overwrite);
int unsetenv(const char* name);
char* mkdtemp(char* pattern);
#ifdef __cplusplus
}
#endif
