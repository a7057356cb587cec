#pragma once

namespace stela {

// What went wrong under the port, as the rest of the program reasons about it.
// A device classifies its system's error where it meets it; nothing above the
// serial layer looks at the system's number for anything but showing it.
enum class FailureKind {
    Other,        // nothing more to say than the system's number
    Missing,      // no such device, or nothing stands behind the name
    NoAccess,     // the user may not open the device
    InUse,        // another program holds the device or the server's port
    NotOpen,      // the port is closed
    Gone,         // the device or connection went away while open
    TimedOut,     // a network server did not answer in time
    Unsupported,  // the device or server does not take what was asked (line settings, sizes)
    // Network ports only:
    BadAddress,         // the URL is no valid network port (PortAddress tells what is wrong)
    HostNotFound,       // the server's name does not resolve
    NameServerSilent,   // the resolver did not answer in time
    BadZone,            // an IPv6 zone that names no interface here, or is given where none fits
    ConnectionRefused,  // nothing listens on the server's TCP port
    Unreachable,        // no route to the server
    NotRfc2217,         // the server does not take the COM-PORT-OPTION
    ProtocolBroken,     // the server breaks the Telnet protocol
};

// One failure: its kind and the system's own number for it (errno on Linux, the
// system or Winsock error code on Windows), which messages show; -1 when the
// system gave none. A default-made one is no failure: devices return it on success.
class PortFailure {
public:
    PortFailure() = default;
    PortFailure(FailureKind kind, int code) : failed_(true), kind_(kind), code_(code) {}

    explicit operator bool() const { return failed_; }
    FailureKind kind() const { return kind_; }
    int code() const { return code_; }

private:
    bool failed_ = false;
    FailureKind kind_ = FailureKind::Other;
    int code_ = -1;
};

// The failure that `code`, returned by one of this system's own calls, stands
// for: errno values on Linux, system and Winsock error codes on Windows; 0 is
// none. One classification per system (posix/, win/).
PortFailure systemFailure(int code);

// A failure of `kind` that the program finds itself (a closed port, a server that
// turns us away, a name that does not resolve), with the number this system's
// own calls give for the same.
PortFailure ownFailure(FailureKind kind);

}  // namespace stela
