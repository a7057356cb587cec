#pragma once

// iconv over the Windows code pages (MultiByteToWideChar, WideCharToMultiByte):
// mingw-w64 has no iconv, and the callers want its interface and errors.
// Charsets are named as iconv names them ("UTF-8", "WINDOWS-1251", "CP866",
// "KOI8-R", "ISO-8859-5", "ASCII") or "CPnnn" for any code page Windows has.
// Conversions keep no shift state: stateful encodings (ISO-2022) are unknown.

#include <stddef.h>

typedef struct StelaIconv* iconv_t;

// (iconv_t)-1 and errno EINVAL when either charset is unknown.
iconv_t iconv_open(const char* tocode, const char* fromcode);
// As POSIX: converts whole characters while there is room; -1 with errno
// EILSEQ (invalid input, or a character the target lacks: *in points at it),
// EINVAL (input ends inside a character) or E2BIG (no room).
size_t iconv(iconv_t cd, char** in, size_t* inLeft, char** out, size_t* outLeft);
int iconv_close(iconv_t cd);
