#include "console/Console.h"

namespace stela {

Console::Console(ConsoleView& view, TCustomComPort& port, Clock& clock)
    : view_(view), port_(port), reader_(port, clock, view) {}

void Console::runWithBusySetLocked(void (Console::*workflow)()) {
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
