#pragma once

#include <string>

#include "os/FileDescriptor.h"

namespace stela {

// A pseudo-terminal whose slave side stands in for a serial port: the sign's,
// or a test's line. The master side is the far end and is non-blocking. A slave
// descriptor of our own stays open for the whole lifetime, raw and at
// `baudRate` until someone changes it: without it the master reports a hang-up
// whenever the client closes its port, and a poll loop on the master would spin.
// Throws std::system_error when the system refuses, releasing what it opened.
class PseudoTerminal {
public:
    explicit PseudoTerminal(int baudRate = 19200);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int masterFd() const { return master_.get(); }
    // Our own slave descriptor (never read from).
    int slaveFd() const { return slave_.get(); }
    const std::string& slavePath() const { return slavePath_; }

    // The far end goes away, as when an adapter is unplugged; the slave hangs up.
    void closeMaster();

private:
    FileDescriptor master_;
    FileDescriptor slave_;  // declared last: closed first
    std::string slavePath_;
};

}  // namespace stela
