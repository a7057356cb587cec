#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/Frames.h"
#include "serial/EComPort.h"
#include "serial/PortAddress.h"
#include "serial/PortFailure.h"
#include "workflows/WriteAccount.h"

namespace stela {

// What each workflow returns: what happened, in the words of the sign. Price
// rows are numbered 1 (top) to 5 (bottom). What the window and stela-cli say
// of them: Notices.h; what a read puts into the price rows and what a write
// sends: PriceRows.h.

// --- Board search

struct SearchOutcome {
    // A candidate that could not be opened, as it was addressed, with what failed.
    struct Failure {
        PortAddress port;
        PortFailure failure;
    };
    std::string port;  // the port the sign answered on; "" when none did
    std::vector<Failure> failures;
    // The found port could not be opened again to work on.
    std::optional<EComPort> openError;
};

// --- Price read

// How the read of one half ended.
enum class HalfVerdict {
    Answered,      // a price
    Unused,        // a panel without a price ("----")
    NoReply,       // no complete reply in 7 passes
    BadChecksum,   // the reply's checksum did not match in 7 passes
    WrongAddress,  // a reply to another half
    NotAPrice,     // a reply whose price bytes make no price
    NotRead,       // a read with a time limit had no time left for it
};

struct HalfRead {
    HalfVerdict verdict = HalfVerdict::NoReply;
    // The reply kept, taken apart; framed when it answered the read whole.
    ReadReply reply;

    bool valid() const {
        return verdict == HalfVerdict::Answered || verdict == HalfVerdict::Unused;
    }
};

struct ReadOutcome {
    std::array<std::array<HalfRead, 2>, 6> halves{};  // [row 1..5][half]
    // A time limit left a half fewer passes than the seven it may take.
    bool cutShort = false;

    HalfRead& at(int row, Half half) { return halves.at(row)[half == Half::First ? 0 : 1]; }
    const HalfRead& at(int row, Half half) const {
        return halves.at(row)[half == Half::First ? 0 : 1];
    }
};

// --- Price write

// A price row's inputs, taken when the write comes to the row (a row edited
// while the write runs goes out with its new value).
using PriceRows = std::function<PriceRowInputs(int row)>;

struct WriteStep {
    int row;
    Half half;
    std::string frame;
};

struct WriteOutcome {
    std::vector<WriteStep> sent;  // the frames sent, in order
    WriteAccount account;         // which halves the sign confirmed
};

// --- Brightness and effect

struct CommandOutcome {
    enum class Command { AutomaticBrightness, ManualBrightness, Effect };
    Command command = Command::AutomaticBrightness;
    int level = 0;      // 0..9; the effect's 0 turns it off
    std::string frame;  // as sent
    bool confirmed = false;
};

// --- Port setup

struct SetupOutcome {
    std::optional<EComPort> storeError;  // the settings were not stored
    std::optional<EComPort> openError;   // the port was not opened with them
};

}  // namespace stela
