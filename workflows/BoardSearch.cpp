#include <cerrno>

#include "workflows/Console.h"
#include "workflows/PortTrouble.h"
#include "i18n/Translate.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"

namespace stela {

namespace {

constexpr int kLastCandidate = 255;

}  // namespace

// The first candidate that could not be opened for want of access, and the
// first one held by another program: an operator can do something about those.
struct Console::OpenTrouble {
    std::string noAccess, busy;

    void note(const std::string& candidate, int error) {
        if ((error == EACCES || error == EPERM) && noAccess.empty()) {
            noAccess = candidate;
        } else if (error == EBUSY && busy.empty()) {
            busy = candidate;
        }
    }
    std::string lines() const {
        std::string text;
        if (!noAccess.empty()) {
            text += "\n" + openTroubleHint(noAccess, EACCES);
        }
        if (!busy.empty()) {
            text += "\n" + openTroubleHint(busy, EBUSY);
        }
        return text;
    }
};

void Console::boardSearch() {
    std::string found;
    OpenTrouble trouble;
    view_.appendLog(translateDefault("--- Поиск табло --- "));
    for (int n = 1; n <= kLastCandidate; ++n) {
        const std::string candidate = "COM" + std::to_string(n);
        try {
            port_.SetPort(candidate);
            port_.Open();
        } catch (const EComPort& error) {
            // No such port, or not a serial device; no access or busy are told below.
            if (error.Code() == EComPort::kOpenFailed) {
                trouble.note(candidate, error.SystemCode());
            }
            continue;
        }
        // From here on a serial error is not a missing candidate: it ends the search.
        port_.SetBaudRate(br19200);
        reader_.run(boardSearchExchange(), reply_);
        if (identifiesSign(reply_)) {
            found = candidate;
        }
    }
    if (found.empty()) {
        view_.notice(translateDefault("Табло не найдено. Проверьте кабель подключения табло") +
                     trouble.lines());
        return;
    }
    view_.notice(translateDefault("Стела подключена на порт : ") + found);
    port_.SetPort(found);
    port_.SetBaudRate(br19200);
    port_.Open();
    view_.setStatusText(translateDefault("Работаем на ") + found);
}

}  // namespace stela
