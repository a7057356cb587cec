#include "workflows/Console.h"

namespace stela {

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
