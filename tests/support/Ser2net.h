#pragma once

#include <sys/types.h>

#include <string>

namespace stela::test {

// Debian's ser2net serving a serial device (a pseudo-terminal) on two loopback
// ports at once: raw TCP and telnet(rfc2217). The device is opened per
// connection, so one client at a time. Started with a YAML file of its own;
// stopped, or killed, with the object.
class Ser2net {
public:
    static bool installed();

    explicit Ser2net(const std::string& devicePath);
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    std::string tcpUrl() const;      // "tcp://127.0.0.1:N"
    std::string rfc2217Url() const;  // "rfc2217://127.0.0.1:M"

    // Waits up to two seconds for the server to have `path` open (it opens the
    // device once a client's connection is set up); tells whether it has.
    bool opens(const std::string& path) const;

    // Ends the server at once (SIGKILL), as one that crashes or loses power
    // would: its connections close under the client. Safe from any thread.
    void kill();

private:
    std::string dir_;
    pid_t pid_ = -1;
    int rawPort_ = 0;
    int telnetPort_ = 0;
};

}  // namespace stela::test
