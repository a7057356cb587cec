#include "console/Console.h"
#include "serial/ComPort.h"
#include "serial/EComPort.h"
#include "serial/Translate.h"

namespace stela {

namespace {

constexpr int kLastCandidate = 255;

}  // namespace

void Console::boardSearch() {
    std::string found;
    view_.appendLog(translateDefault("--- Поиск табло --- "));
    for (int n = 1; n <= kLastCandidate; ++n) {
        const std::string candidate = "COM" + std::to_string(n);
        try {
            port_.SetPort(candidate);
            port_.Open();
        } catch (const EComPort&) {
            continue;  // no such port, busy, or not a serial device
        }
        // From here on a serial error is not a missing candidate: it ends the search.
        port_.SetBaudRate(br19200);
        reader_.run(boardSearchExchange(), reply_);
        if (identifiesSign(reply_)) {
            found = candidate;
        }
    }
    if (found.empty()) {
        view_.notice(translateDefault("Табло не найдено. Проверьте кабель подключения табло"));
        return;
    }
    view_.notice(translateDefault("Стела подключена на порт : ") + found);
    port_.SetPort(found);
    port_.SetBaudRate(br19200);
    port_.Open();
    view_.setStatusText(translateDefault("Работаем на ") + found);
}

}  // namespace stela
