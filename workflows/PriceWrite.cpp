#include "i18n/Translate.h"
#include "protocol/Frames.h"
#include "protocol/LogText.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "workflows/Console.h"
#include "workflows/PriceRows.h"

namespace stela {

namespace {

// The ten write steps, bottom row first, each row's first half before its second.
struct Step {
    int row;
    Half half;
    const char* logText;
    int position;
};

constexpr Step kWriteSteps[] = {
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

std::string frameOf(const Step& step, const PriceRowInputs& inputs) {
    return composeWriteFrame(addressCharacter(halfAddress(step.row, step.half)), inputs);
}

}  // namespace

std::vector<WriteStep> plannedWrite(const PriceRows& rows) {
    std::vector<WriteStep> planned;
    for (const Step& step : kWriteSteps) {
        planned.push_back({step.row, step.half, frameOf(step, rows(step.row))});
    }
    return planned;
}

void Console::stopWrite() {
    logWriteAccount(translateDefault("--- Окно закрывается: запись остановлена ---"),
                    WriteAccount::Cut::Stopped);
    throw WorkflowStopped{};
}

void Console::logWriteAccount(const std::string& header, WriteAccount::Cut cut) {
    const LogTag account{LogOperation::Write, LogEvent::Account};
    observer_.appendTagged(account, header);
    for (const std::string& line : written_.account.lossLines(cut)) {
        observer_.appendTagged(account, line);
    }
}

WriteOutcome Console::writePrices(const PriceRows& rows) {
    noteLockFolderTrouble(LogOperation::Write);
    written_ = {};
    written_.account.start();
    try {
        writeSteps(rows);
    } catch (const EComPort&) {
        // The port is gone mid-write: say what the sign was left holding.
        if (!written_.account.lossLines().empty()) {
            logWriteAccount(translateDefault("--- Связь потеряна: запись прервана ---"),
                            WriteAccount::Cut::PortLost);
        }
        throw;
    }
    return written_;
}

void Console::writeSteps(const PriceRows& rows) {
    // A stop asked for while a row is being written waits for the row's
    // second half, and no more: a panel must never show two different prices.
    // So the front end takes input between rows only.
    if (!startProgress()) {
        stopWrite();
    }
    port_.ClearBuffers(true, true);

    PriceRowInputs inputs;
    bool firstStep = true;
    for (const Step& step : kWriteSteps) {
        if (step.half == Half::First) {
            inputs = rows(step.row);
        }
        reply_ = frameOf(step, inputs);
        // The effect button may run its exchange in the reply buffer while
        // events are processed below, so the frame is sent from this copy.
        const std::string frame = reply_;
        observer_.appendTagged({LogOperation::Write, LogEvent::Frame},
                               translateDefault(step.logText) + logText(frame));
        if (!firstStep) {
            observer_.progress(step.position);
            if (step.half == Half::Second) {
                observer_.betweenHalves();
            } else if (observer_.stopNow()) {
                observer_.appendTagged({LogOperation::Write, LogEvent::NotSent},
                                       translateDefault("Кадр не отправлен:") + logText(frame));
                stopWrite();
            }
        }
        firstStep = false;
        written_.account.sent(step.row, step.half);
        written_.sent.push_back({step.row, step.half, frame});
        port_.WriteText(frame);
        const bool confirmed = writeConfirmation(frame);
        if (confirmed) {
            written_.account.confirmed(step.row, step.half);
        }
        observer_.halfWritten(step.row, step.half, confirmed);
    }
    if (observer_.stopNow()) {
        stopWrite();  // every row is written; the read-back does not run
    }
}

bool Console::writeConfirmation(const std::string& frame) {
    const PolledExchange exchange = writeConfirmationExchange(frame);
    for (int attempt = 0; attempt < kConfirmationAttempts; ++attempt) {
        reader_.run(exchange, confirmation_);
        if (confirmsWrite(confirmation_)) {
            observer_.appendTagged(
                {LogOperation::Write, LogEvent::Confirmed},
                translateDefault("Принятые данные верные:") + logText(confirmation_));
            return true;
        }
    }
    // The log says no more; the journal names the frame, so that a grep for
    // the write's outcome finds every half.
    observer_.appendJournalOnly({LogOperation::Write, LogEvent::NotConfirmed}, logText(frame));
    return false;
}

}  // namespace stela
