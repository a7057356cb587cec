#include <algorithm>

#include "i18n/Translate.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "workflows/Console.h"

namespace stela {

std::vector<PortAddress> everyComPort() {
    constexpr int kLastCandidate = 255;
    std::vector<PortAddress> ports;
    for (int n = 1; n <= kLastCandidate; ++n) {
        ports.push_back(PortAddress::parse("COM" + std::to_string(n)));
    }
    return ports;
}

SearchOutcome Console::boardSearch() {
    return boardSearch(everyComPort());
}

SearchOutcome Console::boardSearch(const std::vector<PortAddress>& candidates) {
    SearchOutcome outcome;
    // The log's first line is kept (in the journal) under the port's name: a
    // closed port named none of the candidates takes the first one's name.
    const auto named = [this](const PortAddress& c) { return c.name() == port_.Port(); };
    if (!port_.Connected() && !candidates.empty() &&
        std::none_of(candidates.begin(), candidates.end(), named)) {
        port_.SetPort(candidates.front());
    }
    observer_.appendTagged({LogOperation::Search, LogEvent::Start},
                           translateDefault("--- Поиск табло --- "));
    for (const PortAddress& candidate : candidates) {
        try {
            port_.SetPort(candidate);
            port_.Open();
        } catch (const EComPort& error) {
            // No such port, or not a serial device, no access or busy.
            if (error.Code() == EComPort::kOpenFailed) {
                outcome.failures.push_back({port_.Address(), error.Failure()});
            }
            continue;
        }
        // From here on a serial error is not a missing candidate: it ends the search.
        port_.SetBaudRate(br19200);
        reader_.run(boardSearchExchange(), reply_);
        if (identifiesSign(reply_)) {
            outcome.port = candidate.name();
        }
    }
    if (outcome.port.empty()) {
        return outcome;
    }
    try {
        port_.SetPort(outcome.port);
        port_.SetBaudRate(br19200);
        port_.Open();
    } catch (const EComPort& error) {
        outcome.openError = error;
    }
    return outcome;
}

}  // namespace stela
