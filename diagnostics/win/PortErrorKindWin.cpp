#include <windows.h>

#include "diagnostics/PortErrorKind.h"

namespace stela {

// A COM port opens exclusively: ERROR_ACCESS_DENIED on opening one means that
// another program has it open. ERROR_INVALID_HANDLE is a closed port's
// (kClosedDeviceError); an unplugged USB adapter fails with any of the last.
PortErrorKind portErrorKind(int systemCode) {
    switch (static_cast<DWORD>(systemCode)) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return PortErrorKind::Missing;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return PortErrorKind::InUse;
        case ERROR_INVALID_HANDLE:
            return PortErrorKind::NotOpen;
        case ERROR_NOT_READY:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_OPERATION_ABORTED:
        case ERROR_DEVICE_NOT_CONNECTED:
            return PortErrorKind::Gone;
        default:
            return PortErrorKind::Other;
    }
}

}  // namespace stela
