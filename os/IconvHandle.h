#pragma once

#include <iconv.h>

#include "os/UniqueHandle.h"

namespace stela {

struct IconvTraits {
    using Handle = iconv_t;
    static Handle none() { return reinterpret_cast<iconv_t>(-1); }
    static void close(Handle converter) { iconv_close(converter); }
};
// Owns a converter of iconv_open (none: iconv_open failed) and closes it.
using IconvHandle = UniqueHandle<IconvTraits>;

}  // namespace stela
