#pragma once

namespace stela {

// What a serial device's system error code says about the port, for the hints:
// the code is an errno value on Linux and a Windows error code on Windows, and
// the same number means different things on the two.
enum class PortErrorKind {
    Other,
    Missing,   // no such device
    NoAccess,  // the user may not open it
    InUse,     // another program holds it
    NotOpen,   // the port is closed
    Gone,      // the device went away while open (an unplugged adapter)
};

PortErrorKind portErrorKind(int systemCode);

}  // namespace stela
