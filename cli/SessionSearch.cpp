// `stela-cli search`, and how every command reaches the sign: the port given, or the search.
#include "cli/Session.h"

#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/Utf8.h"
#include "workflows/Notices.h"

namespace stela::cli {

bool Session::connect() {
    if (args_.ports.size() == 1 && args_.action != Action::Search) {
        port_.SetPort(args_.ports.front());
        port_.Open();
        return true;
    }
    std::vector<PortAddress> candidates = everyComPort();
    if (!args_.ports.empty()) {
        candidates = candidatesFor(args_.ports);
        if (candidates.empty()) {
            // Nothing to try: what the search was asked for names its log.
            port_.SetPort(args_.ports.front());
        }
    }
    const SearchOutcome search = console_.boardSearch(candidates);
    if (search.openError) {
        throw *search.openError;
    }
    if (search.port.empty()) {
        noSign_ = noSignMessage(search);
        if (args_.action != Action::Check) {  // check tells it in its status line
            err_ << prefixed(noSign_);
        }
        return false;
    }
    if (args_.verbose) {
        err_ << searchNotice(search) << "\n";
    }
    return true;
}

// The board search walks COM names; a given device path or network port stands
// for the COM names that lead to it.
std::vector<PortAddress> Session::candidatesFor(const std::vector<PortAddress>& given) {
    std::vector<PortAddress> candidates;
    for (const PortAddress& com : everyComPort()) {
        const std::string device = com.resolved().device();
        bool listed = false;
        for (const PortAddress& port : given) {
            if (port.name() == com.name() ||
                (port.form() != PortAddress::Form::Com && port.device() == device)) {
                reached_.insert(port.name());
                listed = true;
            }
        }
        if (listed) {
            candidates.push_back(com);
        }
    }
    return candidates;
}

std::string Session::noSignMessage(const SearchOutcome& search) const {
    std::string message = searchNotice(search);
    for (const PortAddress& port : args_.ports) {
        if (port.form() != PortAddress::Form::Com && reached_.count(port.name()) == 0) {
            message += "\n" + translateCli(
                                  "%1: no COM name stands for it, and the search walks "
                                  "COM1..COM255",
                                  {escapedText(port.name())});
        }
    }
    return message;
}

int Session::search() {
    if (!connect()) {
        return kNoSign;
    }
    out_ << escapedText(port_.Port()) << "\n";
    return kDone;
}

}  // namespace stela::cli
