#include "workflows/Notices.h"

#include "diagnostics/PortTrouble.h"
#include "i18n/Translate.h"

namespace stela {
namespace {

// The first failure of `kind`, as a hint line.
std::string firstHint(const std::vector<SearchOutcome::Failure>& failures, FailureKind kind) {
    for (const SearchOutcome::Failure& failure : failures) {
        if (failure.failure.kind() == kind) {
            return "\n" + openTroubleHint(failure.port, kind);
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
           firstHint(outcome.failures, FailureKind::NoAccess) +
           firstHint(outcome.failures, FailureKind::InUse);
}

std::string workingOnText(const std::string& port) {
    return translateDefault("Работаем на ") + port;
}

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

}  // namespace stela
