// What Windows' system and Winsock error codes say about a port.
#include <winsock2.h>

#include "serial/PortFailure.h"

namespace stela {

// A COM port opens exclusively: access denied on opening one means that another
// program has it open. An unplugged USB adapter fails with any of the codes
// taken as gone; a cancelled transfer only when nobody meant to cancel it (the
// device tells its own cancellations apart).
PortFailure systemFailure(int code) {
    if (code == 0) {
        return {};
    }
    switch (static_cast<DWORD>(code)) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return {FailureKind::Missing, code};
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return {FailureKind::InUse, code};
        case WSAEACCES:
            return {FailureKind::NoAccess, code};
        case ERROR_INVALID_HANDLE:
            return {FailureKind::NotOpen, code};
        case ERROR_NOT_READY:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_OPERATION_ABORTED:
        case ERROR_DEVICE_NOT_CONNECTED:
        case WSAECONNRESET:
        case WSAECONNABORTED:
            return {FailureKind::Gone, code};
        case ERROR_INVALID_PARAMETER:
        case ERROR_NOT_SUPPORTED:
            return {FailureKind::Unsupported, code};
        case ERROR_SEM_TIMEOUT:
        case WSAETIMEDOUT:
            return {FailureKind::TimedOut, code};
        case WSAECONNREFUSED:
            return {FailureKind::ConnectionRefused, code};
        case WSAEHOSTUNREACH:
        case WSAENETUNREACH:
        case WSAENETDOWN:
            return {FailureKind::Unreachable, code};
        default:
            return {FailureKind::Other, code};
    }
}

PortFailure ownFailure(FailureKind kind) {
    const auto with = [kind](DWORD code) { return PortFailure(kind, static_cast<int>(code)); };
    switch (kind) {
        case FailureKind::Missing:
            return with(ERROR_FILE_NOT_FOUND);
        case FailureKind::NoAccess:
            return with(WSAEACCES);
        case FailureKind::InUse:
            return with(ERROR_BUSY);
        case FailureKind::NotOpen:
            return with(ERROR_INVALID_HANDLE);
        case FailureKind::Gone:
            return with(WSAECONNRESET);
        case FailureKind::TimedOut:
            return with(WSAETIMEDOUT);
        case FailureKind::Unsupported:
        case FailureKind::BadAddress:
            return with(ERROR_INVALID_PARAMETER);
        case FailureKind::HostNotFound:
            return with(WSAHOST_NOT_FOUND);
        case FailureKind::NameServerSilent:
            return with(WSATRY_AGAIN);
        case FailureKind::BadZone:
            return with(WSAEADDRNOTAVAIL);
        case FailureKind::ConnectionRefused:
            return with(WSAECONNREFUSED);
        case FailureKind::Unreachable:
            return with(WSAEHOSTUNREACH);
        case FailureKind::NotRfc2217:
            return with(WSAEPROTONOSUPPORT);
        case FailureKind::ProtocolBroken:
            return with(ERROR_INVALID_DATA);
        case FailureKind::Other:
            break;
    }
    return with(ERROR_GEN_FAILURE);
}

}  // namespace stela
