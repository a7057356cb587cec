#include "serial/PortUrl.h"

#include <cctype>

#include "net/Sockets.h"
#include "store/IgnoringCase.h"

namespace stela {
namespace {

constexpr std::string_view kSeparator = "://";

// Letters, digits, '-', '.' and '_' (which some station networks' names carry).
bool isHostName(std::string_view host) {
    for (char c : host) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != '_') {
            return false;
        }
    }
    return true;
}

// A name that the C library would take for an IPv4 address in one of its old
// shorthands, or whose last label is a number, as no top-level domain's is: a
// mistyped address, which no resolver may be given.
bool looksNumeric(const std::string& host) {
    if (isIpv4Shorthand(host)) {
        return true;
    }
    std::string_view name(host);
    if (!name.empty() && name.back() == '.') {
        name.remove_suffix(1);  // the root's dot of a full name
    }
    const std::string_view last = name.substr(name.rfind('.') + 1);  // npos + 1 is 0
    return !last.empty() && last.find_first_not_of("0123456789") == std::string_view::npos;
}

// An IPv6 address with an optional zone: "fe80::1%eth0", written "%25eth0" in URLs.
bool takeIpv6(std::string_view text, std::string& host) {
    std::string address(text.substr(0, text.find('%')));
    std::string zone;
    if (address.size() < text.size()) {
        zone = std::string(text.substr(address.size() + 1));
        if (zone.rfind("25", 0) == 0 && zone.size() > 2) {
            zone.erase(0, 2);
        }
        if (zone.empty() || !isHostName(zone)) {
            return false;
        }
    }
    in6_addr parsed{};
    if (inet_pton(AF_INET6, address.c_str(), &parsed) != 1) {
        return false;
    }
    host = zone.empty() ? address : address + "%" + zone;
    return true;
}

}  // namespace

bool isPortUrl(std::string_view name) {
    const auto at = name.find(kSeparator);
    if (at == std::string_view::npos || at == 0) {
        return false;
    }
    for (char c : name.substr(0, at)) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return std::isalpha(static_cast<unsigned char>(name[0])) != 0;
}

PortUrlProblem parsePortUrl(std::string_view name, PortUrl& url) {
    if (!isPortUrl(name)) {
        return PortUrlProblem::UnknownScheme;
    }
    const auto at = name.find(kSeparator);
    const std::string_view scheme = name.substr(0, at);
    PortUrl parsed;
    if (equalIgnoringCase(scheme, "tcp")) {
        parsed.scheme = PortScheme::Tcp;
    } else if (equalIgnoringCase(scheme, "rfc2217")) {
        parsed.scheme = PortScheme::Rfc2217;
    } else {
        return PortUrlProblem::UnknownScheme;
    }
    std::string_view rest = name.substr(at + kSeparator.size());
    if (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);  // as pasted from a browser
    }

    std::string_view portText;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos || !takeIpv6(rest.substr(1, close - 1), parsed.host)) {
            return PortUrlProblem::BadHost;
        }
        rest.remove_prefix(close + 1);
        if (rest.empty()) {
            return PortUrlProblem::NoPort;
        }
        if (rest.front() != ':') {
            return PortUrlProblem::BadPort;
        }
        portText = rest.substr(1);
    } else {
        const auto colon = rest.rfind(':');
        const std::string_view host = rest.substr(0, colon);
        if (host.empty()) {
            return PortUrlProblem::NoHost;
        }
        if (!isHostName(host)) {
            return PortUrlProblem::BadHost;  // a bare IPv6 address, user@host, a path
        }
        if (colon == std::string_view::npos) {
            return PortUrlProblem::NoPort;
        }
        parsed.host = std::string(host);
        in_addr ipv4{};
        if (looksNumeric(parsed.host) && inet_pton(AF_INET, parsed.host.c_str(), &ipv4) != 1) {
            return PortUrlProblem::ShortIpv4;
        }
        portText = rest.substr(colon + 1);
    }
    if (portText.empty()) {
        return PortUrlProblem::NoPort;
    }
    if (portText.size() > 5) {
        return PortUrlProblem::BadPort;
    }
    for (char c : portText) {
        if (c < '0' || c > '9') {
            return PortUrlProblem::BadPort;
        }
        parsed.port = parsed.port * 10 + (c - '0');
    }
    if (parsed.port < 1 || parsed.port > 65535) {
        return PortUrlProblem::BadPort;
    }
    url = std::move(parsed);
    return PortUrlProblem::None;
}

}  // namespace stela
