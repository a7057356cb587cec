#include "workflows/Console.h"

#include "i18n/FilledText.h"
#include "i18n/Translate.h"
#include "serial/TComPort.h"

namespace stela {

Console::Console(WorkflowObserver& observer, TCustomComPort& port, Clock& clock)
    : observer_(observer), port_(port), clock_(clock), reader_(port, clock, observer) {}

void Console::noteLockFolderTrouble(LogOperation operation) {
    const std::string trouble = port_.Connected() ? port_.LockFolderTrouble() : std::string();
    if (trouble.empty() || lockFolderTroubleNoted_) {
        return;
    }
    lockFolderTroubleNoted_ = true;
    observer_.appendTagged(
        {operation, LogEvent::Note},
        filled(markDefault(
                   "Файл блокировки порта не создан (%1): другие программы (minicom и т. п.) не "
                   "увидят, что порт занят."),
               {trouble}));
}

bool Console::startProgress() {
    observer_.progress(0);
    observer_.progress(1);
    return !observer_.stopNow();
}

}  // namespace stela
