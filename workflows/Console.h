#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/Clock.h"
#include "protocol/Frames.h"
#include "protocol/ReplyReader.h"
#include "workflows/Outcomes.h"
#include "workflows/WorkflowObserver.h"
#include "workflows/Workflows.h"

namespace stela {

class TCustomComPort;

// The board search's candidates: COM1..COM255, in the order tried.
std::vector<PortAddress> everyComPort();

// The workflows behind the main window's buttons, on the window's one port
// object. Each runs to the end on the caller's thread, tells `observer` how
// it goes and returns what happened; serial errors escape to the caller.
class Console final : public Workflows {
public:
    Console(WorkflowObserver& observer, TCustomComPort& port, Clock& clock);

    SearchOutcome boardSearch() override;  // over everyComPort()
    // Tries `candidates` in their order; the last one the sign answers on wins.
    SearchOutcome boardSearch(const std::vector<PortAddress>& candidates);
    CommandOutcome automaticBrightness() override;
    CommandOutcome manualBrightness(int level) override;
    CommandOutcome effect(int level) override;
    WriteOutcome writePrices(const PriceRows& rows) override;
    ReadOutcome readPrices() override;
    // The same read, ended by `deadlineMs` (the clock's time) with the same
    // exchanges: a pass starts only when its polls can end in time, and a half
    // is read again only while that leaves a pass for each half after it. A
    // half with no time left for a pass is NotRead.
    ReadOutcome readPrices(std::int64_t deadlineMs);
    SetupOutcome portSetup() override;

    // What the last price write got done, half by half, also when an error
    // or a stop cut it short; its lossLines() are what the log then says.
    const WriteAccount& lastWrite() const { return written_.account; }

private:
    // Logs the stop and what the sign holds (lastWrite), then stops the write.
    [[noreturn]] void stopWrite();
    void logWriteAccount(const std::string& header, WriteAccount::Cut cut);
    void writeSteps(const PriceRows& rows);
    // True when the sign confirmed the frame.
    bool writeConfirmation(const std::string& frame);
    ReadOutcome read(std::optional<std::int64_t> deadlineMs);
    // Up to seven passes until a reply answers the read of `row`'s `half`;
    // fewer when the deadline leaves no time for them (`cut`), keeping a
    // pass for each of the `halvesAfter`.
    HalfRead halfRead(int row, Half half, int halvesAfter, bool& cut);
    // Whether a pass, and one for each of `halvesAfter`, ends by the deadline.
    bool passFits(const PolledExchange& exchange, int halvesAfter) const;
    // Says once in the operation log, before the first exchange on such a port,
    // that the port is held without the lock file other serial programs look for.
    void noteLockFolderTrouble(LogOperation operation);
    // The bar starts at 1; false when the front end asks to stop.
    bool startProgress();
    CommandOutcome command(CommandOutcome::Command command, int level,
                           const SingleWaitExchange& exchange);

    WorkflowObserver& observer_;
    TCustomComPort& port_;
    Clock& clock_;
    ReplyReader reader_;
    std::optional<std::int64_t> deadlineMs_;  // of the read running
    std::int64_t longestPassMs_ = 0;          // of the passes made on this port
    std::string reply_;
    std::string confirmation_;
    bool lockFolderTroubleNoted_ = false;
    WriteOutcome written_;
};

}  // namespace stela
