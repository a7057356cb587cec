#pragma once

namespace stela {

// The workflows behind the main window's buttons. The window runs them from its
// click handlers and shows an error that escapes one (a std::exception, such as
// the serial layer's EComPort) in the error report; the workflows report
// everything else through the ConsoleView they were given.
class Workflows {
public:
    virtual ~Workflows() = default;

    virtual void boardSearch() = 0;          // "Поиск табло", and once at start-up
    virtual void automaticBrightness() = 0;  // "Яркость автоматическая"
    virtual void manualBrightness() = 0;     // "Яркость ручная"
    virtual void effect() = 0;               // "Эффект"
    virtual void writePrices() = 0;          // "Записать", before its read-back
    virtual void readPrices() = 0;  // "Прочитать", and the read-back after a write
    virtual void portSetup() = 0;   // "Настроить COM - порт."
};

}  // namespace stela
