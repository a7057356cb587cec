#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "sim/FrameParser.h"
#include "sim/SimTime.h"

namespace stela {

// What can go wrong with the sign's replies. A fault is built by one of the
// named constructors and narrowed by the chainable filters, for example
//
//   model.addFault(Fault::late(std::chrono::milliseconds(160)).forAddress(0));
//   model.addFault(Fault::wrongChecksum().times(3));
//   model.addFault(Fault::silence().onFrames(FrameKind::Write).after(1).times(2));
//
// A fault looks only at frames the sign would answer (a write with a wrong
// checksum, for instance, is never answered and never counts). Each such frame
// that matches the filters counts as one reply: `after(n)` lets n of them pass
// untouched, then `times(k)` affects the next k (for ever by default), after
// which the fault removes itself. The read-reply faults (wrong checksum,
// lower-case checksum, missing "T", missing "OK") match read frames only.
//
// Several faults may hit one reply; they apply in the order of FaultKind below,
// whatever order they were added in.
enum class FaultKind {
    Silence,            // the frame is lost before the sign hears it: nothing changes, no reply
    Replace,            // the reply is `bytes` instead
    MissingT,           // read reply starts with "X" instead of "T" (checksum still right)
    MissingOk,          // read reply has "ER" instead of "OK" (checksum still right)
    WrongChecksum,      // read reply carries a checksum that does not match
    LowerCaseChecksum,  // read reply's checksum letters in lower case (digits stay)
    Insert,             // `bytes` inserted before reply byte `offset` (garbage, 0x00 ...)
    Truncate,           // only the first `offset` bytes of the reply leave
    Surplus,            // `bytes` follow the reply
    Late,               // the reply starts `delay` later than usual
};

struct Fault {
    FaultKind kind = FaultKind::Silence;
    std::optional<int> address;      // only frames for this half (brightness and effect have none)
    std::optional<FrameKind> frame;  // only this kind of frame
    int skip = 0;                    // matching replies still to let pass untouched
    int count = -1;                  // matching replies still to affect; negative: no limit
    SimTime delay{};                 // Late
    std::size_t offset = 0;          // Insert: position; Truncate: bytes kept
    std::string bytes;               // Replace, Insert, Surplus

    static Fault silence();
    static Fault late(SimTime extra);
    static Fault wrongChecksum();
    static Fault lowerCaseChecksum();
    static Fault truncated(std::size_t bytesKept);
    // The sign acts on the frame but no byte of its reply reaches the line.
    static Fault lostReply() { return truncated(0); }
    static Fault surplus(std::string bytes);
    static Fault inserted(std::size_t offset, std::string bytes);
    static Fault nulBytes(std::size_t offset, std::size_t n) {
        return inserted(offset, std::string(n, '\0'));
    }
    static Fault missingT();
    static Fault missingOk();
    static Fault replacedBy(std::string bytes);

    Fault forAddress(int halfAddress) const;
    Fault onFrames(FrameKind frameKind) const;
    Fault after(int replies) const;
    Fault times(int replies) const;

    // True for a frame of this kind and address (-1: none); counts are not consulted.
    bool matches(FrameKind kind, int frameAddress) const;
};

// A reply as it leaves the sign after the faults: its bytes and how much later
// than usual it starts. Silence is decided before a reply exists.
struct FaultedReply {
    std::string bytes;
    SimTime extraDelay{};
};

// Applies one fault (other than Silence) to a reply of the given frame kind.
void applyFault(const Fault& fault, FrameKind kind, FaultedReply& reply);

}  // namespace stela
