#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/Frames.h"
#include "serial/EComPort.h"
#include "serial/PortAddress.h"
#include "workflows/WriteAccount.h"

namespace stela {

// What each workflow returns: what happened, in the words of the sign. Price
// rows are numbered 1 (top) to 5 (bottom).

// Thrown by a workflow that stopped early because its front end asked it to
// (stopNow). It is not an error: there is nothing to report.
struct WorkflowStopped {};

// A write or read runs its progress from 0 to this many steps.
inline constexpr int kProgressSteps = 8;

// --- Board search

struct SearchOutcome {
    // A candidate that could not be opened, as it was addressed, with the
    // system's error number.
    struct Failure {
        PortAddress port;
        int error = 0;
    };
    std::string port;  // the port the sign answered on; "" when none did
    std::vector<Failure> failures;
    // The found port could not be opened again to work on.
    std::optional<EComPort> openError;
};

// The notice that ends a search: the port found, or none with a hint for the
// first candidate refused for want of access and the first one busy.
std::string searchNotice(const SearchOutcome& outcome);
// The status line once the sign is found: "Работаем на COM3".
std::string workingOnText(const std::string& port);

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

// What a read puts into a price row besides its price: the grade selection
// and both caption boxes.
struct RowMarks {
    int gradeIndex = -1;  // outside 0..4: no selection
    bool caption1 = false;
    bool caption2 = false;
};
// What a half's read puts into its price row, as the window's grid takes it:
// every framed reply its price text ("12.34", "--.--"), and the first halves
// and row 5's second half also the marks. Nothing from a reply not framed.
struct RowRefill {
    std::string priceText;
    std::optional<RowMarks> marks;
};
std::optional<RowRefill> rowRefill(int row, Half half, const HalfRead& read);

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

// The ten frames a write of `rows` sends, in the order sent (bottom row first,
// each row's first half before its second), without sending them.
std::vector<WriteStep> plannedWrite(const PriceRows& rows);

// --- Brightness and effect

struct CommandOutcome {
    enum class Command { AutomaticBrightness, ManualBrightness, Effect };
    Command command = Command::AutomaticBrightness;
    int level = 0;      // 0..9; the effect's 0 turns it off
    std::string frame;  // as sent
    bool confirmed = false;
};

// The notice the window shows: "Установлена ручная яркость: 3", ...
std::string commandNotice(const CommandOutcome& outcome);

// --- Port setup

struct SetupOutcome {
    std::optional<EComPort> storeError;  // the settings were not stored
    std::optional<EComPort> openError;   // the port was not opened with them
};

}  // namespace stela
