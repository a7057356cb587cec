#include "workflows/Console.h"
#include "i18n/Translate.h"

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

void Console::command(const SingleWaitExchange& exchange, const std::string& confirmed,
                      const std::string& notConfirmed) {
    noteLockFolderTrouble();
    reader_.run(exchange, reply_);
    view_.notice(exchange.isConfirmation(reply_) ? confirmed : notConfirmed);
}

void Console::automaticBrightness() {
    command(automaticBrightnessExchange(), translateDefault("Установлена автоматическая яркость."),
            translateDefault("Яркость не установлена."));
}

void Console::manualBrightness() {
    const int level = levelOf(view_.digitText(DigitField::Brightness));
    command(manualBrightnessExchange(level),
            translateDefault("Установлена ручная яркость: ") + std::to_string(level),
            translateDefault("Яркость не установлена."));
}

void Console::effect() {
    const int level = levelOf(view_.digitText(DigitField::Effect));
    command(
        effectExchange(level),
        level == 0 ? translateDefault("Эффекты выключены") : translateDefault("Эффекты включены"),
        translateDefault("Эффекты не включены"));
}

}  // namespace stela
