#include "console/Console.h"

#include <exception>

#include "serial/ComPort.h"

namespace stela {

Console::Console(ConsoleView& view, TCustomComPort& port, Clock& clock)
    : view_(view), port_(port), reader_(port, clock, view) {}

void Console::FormCreate() {
    runReported([this] {
        boardSearch();
        view_.clearLog();
    });
}

void Console::runReported(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        view_.errorReport(e.what());
    }
}

}  // namespace stela
