#include "protocol/ReplyReader.h"

#include "i18n/Translate.h"
#include "protocol/Frames.h"
#include "protocol/LogText.h"
#include "serial/TComPort.h"

namespace stela {

PolledExchange boardSearchExchange() {
    PolledExchange e;
    e.frame = kIdentificationCommand;
    e.operation = LogOperation::Search;
    e.headerEvent = LogEvent::Frame;
    e.header = translateDefault("Отправлено:") + e.frame;
    e.filler = std::string(11, '=');
    e.pollLimit = 4;
    e.threshold = 12;
    e.pollOrder = PolledExchange::PollOrder::LogThenSleep;
    e.readSize = 10;
    e.success = PolledExchange::Success::PollCount;
    e.failureLines = {translateDefault("Ошибка чтения!!! ")};
    e.printedDelayMs = kSearchDelayMs;
    return e;
}

PolledExchange writeConfirmationExchange(const std::string& frame) {
    PolledExchange e;
    e.frame = frame;
    e.operation = LogOperation::Write;
    e.headerEvent = LogEvent::Wait;
    e.clearing = PolledExchange::Clearing::WriteThenClear;
    e.header = translateDefault("--- Жду ответ после записи данных ---");
    e.filler = std::string(14, ' ');
    e.pollLimit = 8;
    e.threshold = 3;
    e.readSize = 5;
    e.success = PolledExchange::Success::PollCount;
    e.failureLines = {translateDefault("Ошибка чтения!!! ")};
    e.printedDelayMs = kReadDelayMs;
    return e;
}

PolledExchange panelReadExchange(char addressChar) {
    PolledExchange e;
    e.frame = composeReadFrame(addressChar);
    e.operation = LogOperation::Read;
    e.headerEvent = LogEvent::Half;
    e.pauseBeforeSend = true;
    e.header = translateDefault("--- Читаю панель") + logText(std::string(1, addressChar)) + " ---";
    e.headerBeforeWrite = true;
    e.filler = std::string(16, ' ');
    e.pollLimit = 3;
    e.threshold = 14;
    e.readSize = 14;
    e.success = PolledExchange::Success::InputCount;
    e.failureLines = {translateDefault("Мало принял данных "), "-----BigError Loop------ "};
    e.printedDelayMs = kReadDelayMs;
    return e;
}

SingleWaitExchange automaticBrightnessExchange() {
    return {"LA", "", 100, 2, 2, "LA", LogOperation::Brightness};
}

// The sign answers with the frame itself: "LM" and the same level digit.
SingleWaitExchange manualBrightnessExchange(int level) {
    const std::string frame = std::string("LM") + char('0' + level);
    return {frame, "", 200, 3, 3, frame, LogOperation::Brightness};
}

SingleWaitExchange effectExchange(int level) {
    return {std::string("q") + char('0' + level),
            translateDefault("Отправлено:") + std::to_string(level),
            200,
            3,
            3,
            "FOK",
            LogOperation::Effect};
}

void ReplyReader::sendFrame(const PolledExchange& exchange) {
    const bool clearFirst = exchange.clearing == PolledExchange::Clearing::ClearThenWrite;
    if (clearFirst) {
        port_.ClearBuffers(true, true);
    }
    if (exchange.headerBeforeWrite) {
        log_.appendTagged({exchange.operation, exchange.headerEvent}, exchange.header);
    }
    port_.WriteText(exchange.frame);
    if (!clearFirst) {
        port_.ClearBuffers(true, true);
    }
    if (!exchange.headerBeforeWrite) {
        log_.appendTagged({exchange.operation, exchange.headerEvent}, exchange.header);
    }
}

void ReplyReader::run(const PolledExchange& exchange, std::string& target) {
    if (exchange.pauseBeforeSend) {
        clock_.sleep_ms(readDelayMs_);
    }
    sendFrame(exchange);
    target = exchange.filler;

    const LogTag poll{exchange.operation, LogEvent::Poll};
    auto logCount = [this, &poll] {
        log_.appendTagged(
            poll, translateDefault("Принято символов:") + std::to_string(port_.QueuedInputCount()));
    };
    int polls = 0;
    while (polls != exchange.pollLimit) {
        ++polls;
        if (exchange.pollOrder == PolledExchange::PollOrder::SleepThenLog) {
            clock_.sleep_ms(readDelayMs_);
            logCount();
        } else {
            logCount();
            clock_.sleep_ms(readDelayMs_);
        }
        if (port_.QueuedInputCount() >= exchange.threshold) {
            break;
        }
    }
    log_.appendTagged(poll, std::to_string(polls) +
                                translateDefault(" попыток чтения прошло. Задержка ") +
                                std::to_string(exchange.printedDelayMs) + translateDefault("мс"));

    const bool success = exchange.success == PolledExchange::Success::PollCount
                             ? polls < exchange.pollLimit
                             : port_.QueuedInputCount() >= exchange.threshold;
    if (success) {
        port_.ReadText(target, exchange.readSize);
    } else {
        for (const auto& line : exchange.failureLines) {
            log_.appendTagged({exchange.operation, LogEvent::Error}, line);
        }
    }
    log_.appendTagged({exchange.operation, LogEvent::Reply},
                      translateDefault("Принял:") + logText(target));
}

void ReplyReader::run(const SingleWaitExchange& exchange, std::string& target) {
    port_.ClearBuffers(true, true);
    port_.WriteText(exchange.frame);
    if (!exchange.lineAfterWrite.empty()) {
        log_.appendTagged({exchange.operation, LogEvent::Frame}, exchange.lineAfterWrite);
    }
    target.clear();
    clock_.sleep_ms(exchange.pauseMs);
    if (port_.QueuedInputCount() >= exchange.threshold) {
        port_.ReadText(target, exchange.readSize);
    }
}

}  // namespace stela
