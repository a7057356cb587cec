// The lock's names on Windows: named mutexes in the global namespace.
#include "net/NetPortLock.h"
#include "os/win/WinHandle.h"

namespace stela {

PortFailure NetPortLock::bind(const std::string& serverPort) {
    const std::string name = "Global\\" + lockName(serverPort);
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
    const DWORD error = GetLastError();
    // Another user's mutex is not ours to open.
    if (error == ERROR_ALREADY_EXISTS || (!mutex.valid() && error == ERROR_ACCESS_DENIED)) {
        return ownFailure(FailureKind::InUse);
    }
    if (!mutex.valid()) {
        return systemFailure(static_cast<int>(error));
    }
    bindings_.push_back(std::make_shared<KernelHandle>(std::move(mutex)));
    return {};
}

}  // namespace stela
