#include "console/Console.h"

namespace stela {

Console::Console(ConsoleView& view, TCustomComPort& port, Clock& clock)
    : view_(view), port_(port), reader_(port, clock, view) {}

}  // namespace stela
