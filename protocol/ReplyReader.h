#pragma once

#include <string>
#include <vector>

#include "protocol/Clock.h"
#include "protocol/LogSink.h"

namespace stela {

class TCustomComPort;

// The parameters in which the polled exchanges differ. One exchange: optional
// pause, clear and write the frame (or write, then clear), header line, filler
// into the target buffer, poll the input count, summary line, read or failure
// lines, and "Принял:" with the buffer.
struct PolledExchange {
    enum class Clearing { ClearThenWrite, WriteThenClear };
    enum class PollOrder { SleepThenLog, LogThenSleep };
    enum class Success { PollCount, InputCount };

    std::string frame;
    LogOperation operation = LogOperation::None;  // for the journal
    LogEvent headerEvent = LogEvent::Line;
    Clearing clearing = Clearing::ClearThenWrite;
    bool pauseBeforeSend = false;
    std::string header;
    bool headerBeforeWrite = false;  // between the clear and the write
    std::string filler;
    int pollLimit = 0;  // N
    int threshold = 0;  // T: this many waiting bytes end the polling
    PollOrder pollOrder = PollOrder::SleepThenLog;
    int readSize = 0;  // K
    Success success = Success::PollCount;
    std::vector<std::string> failureLines;
    int printedDelayMs = 0;
};

// The brightness and effect commands: clear, write, one pause, one conditional read.
struct SingleWaitExchange {
    std::string frame;
    std::string lineAfterWrite;  // logged when not empty
    int pauseMs = 0;
    int threshold = 0;
    int readSize = 0;
    std::string confirmation;  // what the reply must begin with
    LogOperation operation = LogOperation::None;

    bool isConfirmation(const std::string& reply) const {
        return reply.compare(0, confirmation.size(), confirmation) == 0;
    }
};

// Console timing constants.
inline constexpr int kReadDelayMs = 50;
inline constexpr int kSearchDelayMs = 200;

PolledExchange boardSearchExchange();
PolledExchange writeConfirmationExchange(const std::string& frame);
PolledExchange panelReadExchange(char addressChar);

SingleWaitExchange automaticBrightnessExchange();
SingleWaitExchange manualBrightnessExchange(int level);
SingleWaitExchange effectExchange(int level);

// Runs exchanges on the port, sleeping only through the clock and logging every
// step. Serial errors are not caught: they end the caller's workflow.
class ReplyReader {
public:
    ReplyReader(TCustomComPort& port, Clock& clock, LogSink& log, int readDelayMs = kReadDelayMs)
        : port_(port), clock_(clock), log_(log), readDelayMs_(readDelayMs) {}

    void run(const PolledExchange& exchange, std::string& target);
    void run(const SingleWaitExchange& exchange, std::string& target);
    // What `exchange` sleeps at most: its pause and every poll.
    int sleepsMs(const PolledExchange& exchange) const {
        return (exchange.pauseBeforeSend ? 1 : 0) * readDelayMs_ +
               exchange.pollLimit * readDelayMs_;
    }

private:
    void sendFrame(const PolledExchange& exchange);

    TCustomComPort& port_;
    Clock& clock_;
    LogSink& log_;
    int readDelayMs_;
};

}  // namespace stela
