#include "console/Console.h"
#include "i18n/Translate.h"
#include "protocol/Frames.h"
#include "protocol/LogText.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"

namespace stela {

namespace {

// The ten write steps, bottom row first, each row's first half before its second.
struct WriteStep {
    int row;
    Half half;
    const char* logText;
    int position;
};

constexpr WriteStep kWriteSteps[] = {
    {5, Half::First, markDefault("Запишу 0 панель:"), 1},
    {5, Half::Second, markDefault("Запишу 1 панель:"), 2},
    {4, Half::First, markDefault("Запишу 2 панель:"), 3},
    {4, Half::Second, markDefault("Запишу 3 панель:"), 4},
    {3, Half::First, markDefault("Запишу 4 панель:"), 5},
    {3, Half::Second, markDefault("Запишу 5 панель:"), 6},
    {2, Half::First, markDefault("Запишу 6 панель:"), 7},
    {2, Half::Second, markDefault("Запишу 7 панель:"), 8},
    {1, Half::First, markDefault("Запишу 8 панель:"), 8},
    {1, Half::Second, markDefault("Запишу 8 панель:"), 8},
};

constexpr int kConfirmationAttempts = 3;

}  // namespace

void Console::writePrices() {
    runWithBusySetLocked(&Console::priceWrite);
}

void Console::stopWrite() {
    logWriteAccount(translateDefault("--- Окно закрывается: запись остановлена ---"),
                    WriteAccount::Cut::Stopped);
    throw WorkflowStopped{};
}

void Console::logWriteAccount(const std::string& header, WriteAccount::Cut cut) {
    view_.appendLog(header);
    for (const std::string& line : account_.lossLines(cut)) {
        view_.appendLog(line);
    }
}

void Console::priceWrite() {
    unconfirmed_.clear();
    account_.start();
    try {
        writeSteps();
    } catch (const EComPort&) {
        // The port is gone mid-write: say what the sign was left holding.
        if (!account_.lossLines().empty()) {
            logWriteAccount(translateDefault("--- Связь потеряна: запись прервана ---"),
                            WriteAccount::Cut::PortLost);
        }
        throw;
    }
}

void Console::writeSteps() {
    // A close asked for while a row is being written waits for the row's
    // second half, and no more: a panel must never show two different prices.
    if (!startProgress()) {
        stopWrite();
    }
    port_.ClearBuffers(true, true);

    PriceRowInputs inputs;
    bool closing = false;
    bool firstStep = true;
    for (const WriteStep& step : kWriteSteps) {
        if (step.half == Half::First) {
            inputs = view_.rowInputs(step.row);
        }
        reply_ = composeWriteFrame(addressCharacter(halfAddress(step.row, step.half)), inputs);
        // The effect button may run its exchange in the reply buffer while
        // events are processed below, so the frame is sent from this copy.
        const std::string frame = reply_;
        view_.appendLog(translateDefault(step.logText) + logText(frame));
        if (!firstStep) {
            view_.setProgressPosition(step.position);
            closing = !view_.processPendingEvents() || closing;
        }
        firstStep = false;
        // Asked while the previous row's second half was being confirmed: that
        // row is whole, so this one is not begun.
        if (closing && step.half == Half::First) {
            view_.appendLog(translateDefault("Кадр не отправлен:") + logText(frame));
            stopWrite();
        }
        account_.sent(step.row, step.half);
        port_.WriteText(frame);
        if (writeConfirmation(frame)) {
            account_.confirmed(step.row, step.half);
        }
        view_.halfWritten(step.row, step.half);
    }
    if (closing) {
        stopWrite();  // every row is written; the read-back does not run
    }
}

bool Console::writeConfirmation(const std::string& frame) {
    const PolledExchange exchange = writeConfirmationExchange(frame);
    for (int attempt = 0; attempt < kConfirmationAttempts; ++attempt) {
        reader_.run(exchange, confirmation_);
        if (confirmsWrite(confirmation_)) {
            view_.appendLog(translateDefault("Принятые данные верные:") + logText(confirmation_));
            return true;
        }
    }
    unconfirmed_.push_back(frame);
    return false;
}

}  // namespace stela
