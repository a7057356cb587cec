#include "i18n/Translate.h"
#include "workflows/Console.h"

namespace stela {

std::string commandNotice(const CommandOutcome& outcome) {
    using Command = CommandOutcome::Command;
    switch (outcome.command) {
        case Command::AutomaticBrightness:
            return outcome.confirmed ? translateDefault("Установлена автоматическая яркость.")
                                     : translateDefault("Яркость не установлена.");
        case Command::ManualBrightness:
            return outcome.confirmed ? translateDefault("Установлена ручная яркость: ") +
                                           std::to_string(outcome.level)
                                     : translateDefault("Яркость не установлена.");
        case Command::Effect:
            break;
    }
    if (!outcome.confirmed) {
        return translateDefault("Эффекты не включены");
    }
    return outcome.level == 0 ? translateDefault("Эффекты выключены")
                              : translateDefault("Эффекты включены");
}

CommandOutcome Console::command(CommandOutcome::Command command, int level,
                                const SingleWaitExchange& exchange) {
    noteLockFolderTrouble(exchange.operation);
    reader_.run(exchange, reply_);
    return {command, level, exchange.frame, exchange.isConfirmation(reply_)};
}

CommandOutcome Console::automaticBrightness() {
    return command(CommandOutcome::Command::AutomaticBrightness, 0, automaticBrightnessExchange());
}

CommandOutcome Console::manualBrightness(int level) {
    return command(CommandOutcome::Command::ManualBrightness, level,
                   manualBrightnessExchange(level));
}

CommandOutcome Console::effect(int level) {
    return command(CommandOutcome::Command::Effect, level, effectExchange(level));
}

}  // namespace stela
