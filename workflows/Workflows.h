#pragma once

#include "workflows/Outcomes.h"

namespace stela {

// Thrown by a workflow that stopped early because its front end asked it to
// (WorkflowObserver::stopNow). It is not an error: there is nothing to report.
struct WorkflowStopped {};

// The workflows behind the main window's buttons. Each returns what happened;
// an error that escapes one (a std::exception, such as the serial layer's
// EComPort) ends it, and the front end reports it.
class Workflows {
public:
    virtual ~Workflows() = default;

    virtual SearchOutcome boardSearch() = 0;  // "Поиск табло", and once at start-up
    virtual CommandOutcome automaticBrightness() = 0;  // "Яркость автоматическая"
    virtual CommandOutcome manualBrightness(int level) = 0;  // "Яркость ручная"
    virtual CommandOutcome effect(int level) = 0;            // "Эффект"
    virtual WriteOutcome writePrices(
        const PriceRows& rows) = 0;        // "Записать", before its read-back
    virtual ReadOutcome readPrices() = 0;  // "Прочитать", and the read-back after a write
    // "Настроить COM - порт.": closes the port, runs its setup dialog, puts the
    // speed back to 19200, stores the settings (after Cancel too) and opens the
    // port again.
    virtual SetupOutcome portSetup() = 0;
};

}  // namespace stela
