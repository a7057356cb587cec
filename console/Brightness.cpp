#include "console/Console.h"

namespace stela {

namespace {

// A digit field reads " " when empty or 0, else its digit.
int levelOf(const std::string& digitText) {
    if (digitText.size() == 1 && digitText[0] >= '1' && digitText[0] <= '9') {
        return digitText[0] - '0';
    }
    return 0;
}

}  // namespace

void Console::command(const SingleWaitExchange& exchange, const std::string& expected,
                      const std::string& confirmed, const std::string& notConfirmed) {
    reader_.run(exchange, reply_);
    const bool ok = reply_.compare(0, expected.size(), expected) == 0;
    view_.notice(ok ? confirmed : notConfirmed);
}

void Console::automaticBrightness() {
    command(automaticBrightnessExchange(), "LA", "Установлена автоматическая яркость.",
            "Яркость не установлена.");
}

void Console::manualBrightness() {
    const int level = levelOf(view_.brightnessDigitText());
    const SingleWaitExchange exchange = manualBrightnessExchange(level);
    command(exchange, exchange.frame, "Установлена ручная яркость: " + std::to_string(level),
            "Яркость не установлена.");
}

void Console::effect() {
    const int level = levelOf(view_.effectDigitText());
    command(effectExchange(level), "FOK", level == 0 ? "Эффекты выключены" : "Эффекты включены",
            "Эффекты не включены");
}

}  // namespace stela
