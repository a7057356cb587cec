#pragma once

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/Fault.h"
#include "sim/FrameParser.h"
#include "sim/SimTime.h"

namespace stela {

// The stored content of one panel half, as it travels in write frames and read
// replies: four price characters ("0"-"9" or "-"), grade code "0"-"5", caption
// flags "0"-"3".
struct HalfContent {
    std::string price = "----";
    char grade = '1';
    char flags = '0';
    friend bool operator==(const HalfContent& a, const HalfContent& b) {
        return a.price == b.price && a.grade == b.grade && a.flags == b.flags;
    }
};

bool isStorable(const HalfContent& content);

enum class BrightnessMode { Automatic, Manual };

// One reply byte and the instant it has completely arrived at the console.
struct TimedByte {
    SimTime at;
    char byte;
    friend bool operator==(const TimedByte& a, const TimedByte& b) {
        return a.at == b.at && a.byte == b.byte;
    }
};

enum class FrameOutcome {
    Answered,        // a reply is on its way (faults may have changed it)
    WrongChecksum,   // write frame whose checksum does not match: no reply
    InvalidContent,  // write frame with a field the sign cannot show: no reply
    NoSuchAddress,   // no half at that address: no reply
    Ignored,         // lost to a silence fault
};

struct FrameEvent {
    SimTime at;  // when the frame was complete
    FrameKind kind;
    std::string bytes;
    FrameOutcome outcome;
};

// Lets a display follow the line. Calls come from receive() and takeReplyBytes().
class SignObserver {
public:
    virtual ~SignObserver() = default;
    virtual void frameReceived(const FrameEvent& /*event*/) {}
    virtual void bytesDiscarded(std::string_view /*bytes*/, SimTime /*at*/) {}
    // A reply whose last byte has just been handed out (at `lastByteAt`).
    virtual void replySent(std::string_view /*bytes*/, SimTime /*lastByteAt*/) {}
};

// The sign's controller as pure logic on a timeline: bytes from the console go
// in with their arrival times, reply bytes come out with theirs.
//
// Frames are found as FrameParser describes. A reply starts the processing
// delay after its frame is complete (for a fixed-layout frame: the arrival of
// its last byte; for "q" + digits: the end of the idle gap, or the arrival of
// the next byte), never before the previous reply has left, and its bytes
// follow back-to-back at 19200 bit/s: reply byte n (from 1) arrives at
// start + wireTime(n).
//
// Answers:
//   "R" a "E"        -> "T" a price grade flags B L "OK" checksum (14 bytes), where
//                       B L is the brightness: "A" or "M" and the manual level digit
//   "W" ... (11)     -> stores the half, "WOK" + the frame's two checksum characters;
//                       nothing for a wrong checksum or a field it cannot store
//   "LA"             -> "LA", automatic brightness
//   "LM" d           -> "LM" d, manual brightness at level d
//   "q" n            -> "FOK", the effect interval becomes n seconds (0: off)
// Addresses without a half (5-7, 13-15) get no reply, as on a sign that has no
// panel there.
//
// Times given to the model must not go backwards; an earlier time is taken as
// the latest one seen.
class SignModel {
public:
    static constexpr SimTime kDefaultProcessingDelay = std::chrono::milliseconds(2);
    static constexpr SimTime kDefaultIdleGap = std::chrono::milliseconds(2);

    SignModel();

    void setProcessingDelay(SimTime delay);
    SimTime processingDelay() const { return delay_; }
    void setIdleGap(SimTime gap) { parser_.setIdleGap(gap); }
    SimTime idleGap() const { return parser_.idleGap(); }

    // Content of the ten halves (addresses 0-4 and 8-12). Start: "----", grade
    // "1", flags "0". half() throws std::out_of_range for other addresses;
    // setHalf() also throws std::invalid_argument for content that is not storable.
    const HalfContent& half(int address) const;
    void setHalf(int address, const HalfContent& content);

    BrightnessMode brightnessMode() const { return brightnessMode_; }
    int brightnessLevel() const { return brightnessLevel_; }
    int effectSeconds() const { return effectSeconds_; }

    // Faults: addFault returns an id for removeFault. faults() lists those still
    // active, with their remaining counts.
    struct ActiveFault {
        int id;
        Fault fault;
    };
    int addFault(const Fault& fault);
    void removeFault(int id);
    void clearFaults() { faults_.clear(); }
    const std::vector<ActiveFault>& faults() const { return faults_; }

    // Bytes that have completely arrived at `at`.
    void receive(std::string_view bytes, SimTime at);
    // Reply bytes due up to and including `upTo`, in order; they are handed out
    // once. Also lets the idle gap run out up to `upTo`.
    std::vector<TimedByte> takeReplyBytes(SimTime upTo);
    // The next instant at which takeReplyBytes() has something to do: a reply
    // byte due, or a frame in progress whose idle gap runs out. None when idle.
    std::optional<SimTime> nextEventTime() const;

    // At most one observer; nullptr to stop. It must outlive its registration.
    void setObserver(SignObserver* observer) { observer_ = observer; }

private:
    struct PendingReply {
        std::string bytes;
        SimTime start;
        std::size_t sent = 0;
    };

    void handle(std::vector<ParsedItem>& items);
    void handleFrame(const ParsedItem& frame);
    FrameOutcome judge(const ParsedItem& frame) const;
    std::string actOn(const ParsedItem& frame);
    std::vector<Fault> takeFaultsFor(FrameKind kind, int address);
    std::string readReply(int address) const;
    void schedule(std::string bytes, SimTime earliest);
    HalfContent& slot(int address);

    SimTime delay_ = kDefaultProcessingDelay;
    FrameParser parser_{kDefaultIdleGap};
    SimTime now_{};
    SimTime lineFree_{};
    std::array<HalfContent, 13> halves_{};
    BrightnessMode brightnessMode_ = BrightnessMode::Automatic;
    int brightnessLevel_ = 0;
    int effectSeconds_ = 0;
    std::vector<ActiveFault> faults_;
    int nextFaultId_ = 1;
    std::deque<PendingReply> replies_;
    SignObserver* observer_ = nullptr;
};

}  // namespace stela
