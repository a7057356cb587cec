#pragma once

#include <windows.h>

#include "os/UniqueHandle.h"

namespace stela {

// Owners of Windows' handles: a kernel object's (an event, a mutex: nullptr
// when none), a file's or device's (CreateFile's INVALID_HANDLE_VALUE when
// none), a registry key's.

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle none() { return nullptr; }
    static void close(Handle handle) { CloseHandle(handle); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle none() { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) { CloseHandle(handle); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle none() { return nullptr; }
    static void close(Handle key) { RegCloseKey(key); }
};
using RegistryKeyHandle = UniqueHandle<RegistryKeyTraits>;

}  // namespace stela
