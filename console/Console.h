#pragma once

#include <array>
#include <string>
#include <vector>

#include "console/ConsoleView.h"
#include "console/Workflows.h"
#include "console/WriteAccount.h"
#include "protocol/Clock.h"
#include "protocol/Frames.h"
#include "protocol/ReplyReader.h"

namespace stela {

class TCustomComPort;

inline int halfAddress(int row, Half half) {
    return half == Half::First ? firstHalfAddress(row) : secondHalfAddress(row);
}

// The workflows behind the main window's buttons, on the window's one port
// object. Each runs to the end on the caller's thread; serial errors escape
// to the window's error report.
class Console final : public Workflows {
public:
    Console(ConsoleView& view, TCustomComPort& port, Clock& clock);

    void boardSearch() override;
    void automaticBrightness() override;
    void manualBrightness() override;
    void effect() override;
    // Locks the busy set and writes the ten halves; the window runs the
    // read-back (readPrices) after it.
    void writePrices() override;
    void readPrices() override;
    // Closes the port, runs its setup dialog, puts the speed back to 19200,
    // stores the settings (after Cancel too) and opens the port again.
    void portSetup() override;

    // The two reply buffers live as long as the console.
    const std::string& replyBuffer() const { return reply_; }
    const std::string& confirmationBuffer() const { return confirmation_; }
    // The frames of the last price write whose confirmation never came, in the
    // order sent: the log's story for a caller that has no operator reading it.
    const std::vector<std::string>& unconfirmedWrites() const { return unconfirmed_; }
    // How the last read of the half at `address` ended: Answers or NotFramed
    // for the reply it kept, else the furthest any of its passes got.
    ReplyVerdict lastReadVerdict(int address) const { return verdicts_.at(address); }
    // What the last price write got done, half by half; its lossLines() are
    // what the operation log says when a lost port or a stop cut the write short.
    const WriteAccount& lastWrite() const { return account_; }

private:
    struct OpenTrouble;

    // Runs a write or read with the busy set disabled. A serial error still
    // ends it at once, but gives the buttons back before it escapes.
    void runWithBusySetLocked(void (Console::*workflow)());
    // The bar runs 0 to 8 over a write or read; it starts at 1. Returns what
    // the window's events said: false when it is closing.
    bool startProgress();
    // Lets the window's events run between two halves of a read; stops the
    // read when the window is closing.
    void letEventsRunOrStop();
    // Logs the stop and what the sign holds (lastWrite), then stops the write.
    [[noreturn]] void stopWrite();
    void logWriteAccount(const std::string& header, WriteAccount::Cut cut);
    void priceWrite();
    void writeSteps();
    // True when the sign confirmed the frame.
    bool writeConfirmation(const std::string& frame);
    void priceRead();
    // Up to seven passes until a reply answers the read; what the reply buffer
    // then holds (16 blanks when every pass failed), taken apart.
    ReadReply halfRead(char addressChar);
    // Says once in the operation log, before the first exchange on such a port,
    // that the port is held without the lock file other serial programs look for.
    void noteLockFolderTrouble();
    // Runs a single-wait command and shows one of the two notices.
    void command(const SingleWaitExchange& exchange, const std::string& confirmed,
                 const std::string& notConfirmed);

    ConsoleView& view_;
    TCustomComPort& port_;
    ReplyReader reader_;
    std::string reply_;
    std::string confirmation_;
    std::vector<std::string> unconfirmed_;
    bool lockFolderTroubleNoted_ = false;
    std::array<ReplyVerdict, 13> verdicts_{};  // by address
    WriteAccount account_;
};

}  // namespace stela
