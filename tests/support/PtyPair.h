#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "sim/tool/PseudoTerminal.h"

namespace stela::test {

// A pseudo-terminal standing in for a serial line. The test holds the master (the
// far end: the sign, the cable) and the code under test opens slavePath(), usually
// as a COM name through ScopedConfigHome::linkCom. The pair also keeps a slave
// descriptor of its own, in raw mode, so the line stays up between the port's
// opens and the far end can look at the slave's input queue.
class PtyPair {
public:
    const std::string& slavePath() const { return pty_.slavePath(); }
    int masterFd() const { return pty_.masterFd(); }
    // The pair's own slave descriptor (for reading back line settings; never read from it).
    int slaveFd() const { return pty_.slaveFd(); }

    // Sends bytes from the far end and waits (up to 2 s) until they are all queued
    // for input on the slave, so that the next read is sure to see them.
    void send(std::string_view bytes);
    // Bytes waiting in the slave's input queue, not yet read by anyone.
    int slaveQueued() const;
    // What the slave side wrote: waits up to timeoutMs for `count` bytes and
    // returns what arrived by then.
    std::string receive(std::size_t count, int timeoutMs = 2000);
    // The far end goes away, as when an adapter is unplugged; the slave hangs up.
    void closeMaster() { pty_.closeMaster(); }

private:
    PseudoTerminal pty_;
};

}  // namespace stela::test
