#include <cerrno>

#include "diagnostics/PortTrouble.h"
#include "i18n/Translate.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "workflows/Console.h"

namespace stela {

namespace {

constexpr int kLastCandidate = 255;

// The first failure with `error` (or `alsoError`), as a hint line.
std::string firstHint(const std::vector<SearchOutcome::Failure>& failures, int error,
                      int alsoError) {
    for (const SearchOutcome::Failure& failure : failures) {
        if (failure.error == error || failure.error == alsoError) {
            return "\n" + openTroubleHint(failure.port, error);
        }
    }
    return {};
}

}  // namespace

std::string searchNotice(const SearchOutcome& outcome) {
    if (!outcome.port.empty()) {
        return translateDefault("Стела подключена на порт : ") + outcome.port;
    }
    // An operator can do something about no access and a busy port.
    return translateDefault("Табло не найдено. Проверьте кабель подключения табло") +
           firstHint(outcome.failures, EACCES, EPERM) + firstHint(outcome.failures, EBUSY, EBUSY);
}

std::string workingOnText(const std::string& port) {
    return translateDefault("Работаем на ") + port;
}

SearchOutcome Console::boardSearch() {
    SearchOutcome outcome;
    observer_.appendTagged({LogOperation::Search, LogEvent::Start},
                           translateDefault("--- Поиск табло --- "));
    for (int n = 1; n <= kLastCandidate; ++n) {
        const std::string candidate = "COM" + std::to_string(n);
        try {
            port_.SetPort(candidate);
            port_.Open();
        } catch (const EComPort& error) {
            // No such port, or not a serial device, no access or busy.
            if (error.Code() == EComPort::kOpenFailed) {
                outcome.failures.push_back({port_.Address(), error.SystemCode()});
            }
            continue;
        }
        // From here on a serial error is not a missing candidate: it ends the search.
        port_.SetBaudRate(br19200);
        reader_.run(boardSearchExchange(), reply_);
        if (identifiesSign(reply_)) {
            outcome.port = candidate;
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
