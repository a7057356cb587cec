#include "net/NetPortLock.h"

#include <algorithm>

namespace stela {

std::string NetPortLock::serverPort(const sockaddr* address, socklen_t size) {
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (getnameinfo(address, size, host, sizeof host, service, sizeof service,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return {};
    }
    const std::string name = address->sa_family == AF_INET6 ? "[" + std::string(host) + "]" : host;
    return name + ":" + service;
}

std::string NetPortLock::lockName(const std::string& serverPort) {
    return "stela-port/" + serverPort;
}

PortFailure NetPortLock::acquire(const addrinfo* addresses) {
    release();
    std::vector<std::string> ports;
    for (const addrinfo* a = addresses; a != nullptr; a = a->ai_next) {
        ports.push_back(serverPort(a->ai_addr, a->ai_addrlen));
    }
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    for (const std::string& port : ports) {
        if (const PortFailure failure = bind(port)) {
            release();
            return failure;
        }
    }
    return {};
}

void NetPortLock::release() {
    bindings_.clear();
}

}  // namespace stela
