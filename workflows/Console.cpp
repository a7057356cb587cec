#include "workflows/Console.h"

#include "workflows/FilledText.h"
#include "i18n/Translate.h"
#include "serial/TComPort.h"

namespace stela {

Console::Console(ConsoleView& view, TCustomComPort& port, Clock& clock)
    : view_(view), port_(port), reader_(port, clock, view) {}

void Console::noteLockFolderTrouble() {
    const std::string trouble = port_.Connected() ? port_.LockFolderTrouble() : std::string();
    if (trouble.empty() || lockFolderTroubleNoted_) {
        return;
    }
    lockFolderTroubleNoted_ = true;
    view_.appendLog(filled(
        markDefault("Файл блокировки порта не создан (%1): другие программы (minicom и т. п.) не "
                    "увидят, что порт занят."),
        {trouble}));
}

void Console::runWithBusySetLocked(void (Console::*workflow)()) {
    noteLockFolderTrouble();
    view_.setBusySetEnabled(false);
    try {
        (this->*workflow)();
    } catch (...) {
        // The operator must be able to search again after re-plugging the cable.
        view_.setBusySetEnabled(true);
        throw;
    }
}

bool Console::startProgress() {
    constexpr int kProgressSteps = 8;
    view_.setProgressRange(0, kProgressSteps);
    view_.setProgressPosition(0);
    view_.setProgressPosition(1);
    return view_.processPendingEvents();
}

}  // namespace stela
