// What Linux's errno values say about a port.
#include <cerrno>

#include "serial/PortFailure.h"

namespace stela {

PortFailure systemFailure(int code) {
    if (code == 0) {
        return {};
    }
    switch (code) {
        case ENOENT:
            return {FailureKind::Missing, code};
        case EACCES:
        case EPERM:
            return {FailureKind::NoAccess, code};
        case EBUSY:
            return {FailureKind::InUse, code};
        case EBADF:
            return {FailureKind::NotOpen, code};
        // A tty that hung up (an unplugged adapter), or a node whose device is gone.
        case EIO:
        case ENXIO:
        case ENODEV:
            return {FailureKind::Gone, code};
        case EINVAL:
            return {FailureKind::Unsupported, code};
        case ETIMEDOUT:
            return {FailureKind::TimedOut, code};
        case ECONNREFUSED:
            return {FailureKind::ConnectionRefused, code};
        case EHOSTUNREACH:
        case ENETUNREACH:
        case ENETDOWN:
            return {FailureKind::Unreachable, code};
        default:
            return {FailureKind::Other, code};
    }
}

PortFailure ownFailure(FailureKind kind) {
    switch (kind) {
        case FailureKind::Missing:
            return {kind, ENOENT};
        case FailureKind::NoAccess:
            return {kind, EACCES};
        case FailureKind::InUse:
            return {kind, EBUSY};
        case FailureKind::NotOpen:
            return {kind, EBADF};
        case FailureKind::Gone:
            return {kind, EIO};
        case FailureKind::TimedOut:
            return {kind, ETIMEDOUT};
        case FailureKind::Unsupported:
        case FailureKind::BadAddress:
            return {kind, EINVAL};
        case FailureKind::HostNotFound:
            return {kind, ENOENT};
        case FailureKind::NameServerSilent:
            return {kind, EAGAIN};
        case FailureKind::BadZone:
            return {kind, ENODEV};
        case FailureKind::ConnectionRefused:
            return {kind, ECONNREFUSED};
        case FailureKind::Unreachable:
            return {kind, EHOSTUNREACH};
        case FailureKind::NotRfc2217:
            return {kind, EPROTO};
        case FailureKind::ProtocolBroken:
            return {kind, EBADMSG};
        case FailureKind::Other:
            break;
    }
    return {kind, EIO};
}

}  // namespace stela
