#include "diagnostics/PortErrorKind.h"

#include <cerrno>

namespace stela {

PortErrorKind portErrorKind(int systemCode) {
    switch (systemCode) {
        case ENOENT:
            return PortErrorKind::Missing;
        case EACCES:
        case EPERM:
            return PortErrorKind::NoAccess;
        case EBUSY:
            return PortErrorKind::InUse;
        case EBADF:
            return PortErrorKind::NotOpen;
        case EIO:
        case ENXIO:
        case ENODEV:
            return PortErrorKind::Gone;
        default:
            return PortErrorKind::Other;
    }
}

}  // namespace stela
