#pragma once

#include <string>

namespace stela {

// A pseudo-terminal whose slave side stands in for the sign's serial port. The
// master side is non-blocking. A slave descriptor of our own stays open for the
// whole lifetime: without it the master reports a hang-up whenever the client
// closes its port, and a poll loop on the master would spin.
// Throws std::system_error when the system refuses.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace stela
