#pragma once

#include <string>
#include <string_view>

namespace stela {

// Port names that stand for a serial line behind a network server:
//   tcp://HOST:PORT      raw TCP, the bytes of the line and nothing else;
//   rfc2217://HOST:PORT  Telnet with the COM-PORT-OPTION, which also carries the
//                        line settings, purges and modem lines.
// HOST is a name, an IPv4 address in four parts ("10.1.2.3") or an IPv6 address
// in brackets ("rfc2217://[fd00::5]:4001"). The scheme takes any case. The old
// shorthands of IPv4 ("10.1.23", "2130706433", "0x7f.1") are refused: a typo
// would otherwise reach another host.

enum class PortScheme { Tcp, Rfc2217 };

// What is wrong with a name that looks like a URL.
enum class PortUrlProblem {
    None,
    UnknownScheme,  // "socket://", "telnet://", ...
    NoHost,         // "tcp://:4001"
    BadHost,        // an IPv6 address without brackets, user@host, stray characters
    ShortIpv4,      // a number that is no four-part IPv4 address: "127.1", "0x7f.1"
    NoPort,         // "tcp://host", "tcp://host:"
    BadPort,        // not 1..65535, or something after it
};

struct PortUrl {
    PortScheme scheme = PortScheme::Tcp;
    std::string host;  // without brackets; an IPv6 zone as "%eth0"
    int port = 0;
};

// A host the C library would read as an IPv4 address in one of its old
// shorthands ("127.1", "2130706433", "0x7f.1"), or as one in four parts
// (net/posix/SocketsPosix.cpp, net/win/SocketsWin.cpp).
bool isIpv4Shorthand(const std::string& host);

// A name of the form "scheme://...": meant as a network port, whether or not the
// rest is right.
bool isPortUrl(std::string_view name);

// Parses a network port name; `url` is filled only when the result is None.
PortUrlProblem parsePortUrl(std::string_view name, PortUrl& url);

}  // namespace stela
