#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/SimTime.h"

namespace stela {

enum class FrameKind { Read, Write, AutoBrightness, ManualBrightness, Effect };

// Something the parser found in the byte stream: a complete frame, or bytes that
// belong to no frame.
struct ParsedItem {
    bool isFrame = false;
    FrameKind kind = FrameKind::Read;  // frames only
    std::string bytes;
    SimTime at{};  // when the frame was complete, or when the bytes were given up
};

// Splits the byte stream from the console into frames. Frames carry no
// terminator, so the known layouts decide where one ends:
//   "R" address "E"            3 bytes
//   "W" address + 6 + "E" + 2  11 bytes
//   "LA"                       2 bytes
//   "LM" digit                 3 bytes
//   "q" 1 to 3 digits          ends at a byte that is not a digit, at the third
//                              digit, or when the line falls idle (see below)
// An address byte is 0x30-0x3F. The layouts check structure only; checksum and
// field contents are the controller's business.
//
// Resynchronisation, as a controller with a receive timer does it:
// - A byte that cannot continue the frame in progress gives up only that
//   frame's first byte; the bytes after it are examined again as a possible
//   frame start. So garbage in front of a frame never costs the frame.
// - A frame in progress that sees no byte for the idle gap is given up (or, for
//   "q" with at least one digit, complete at the end of the gap). The console
//   writes each frame in one go, so its bytes never leave such a gap.
class FrameParser {
public:
    explicit FrameParser(SimTime idleGap);

    // The gap must be positive; anything below 1 us is taken as 1 us.
    void setIdleGap(SimTime gap);
    SimTime idleGap() const { return gap_; }

    // One byte that arrived at `at` (never earlier than the byte before).
    void feed(char byte, SimTime at, std::vector<ParsedItem>& out);
    // The line has been quiet up to `now`: closes a frame whose gap has run out.
    void idle(SimTime now, std::vector<ParsedItem>& out);
    // When idle() next has something to do, if a frame is in progress.
    std::optional<SimTime> deadline() const;

private:
    void settle(SimTime at, std::vector<ParsedItem>& out);
    void emitFrame(std::string bytes, SimTime at, std::vector<ParsedItem>& out);
    static void emitDiscarded(char byte, SimTime at, std::vector<ParsedItem>& out);

    SimTime gap_;
    std::string partial_;
    SimTime last_{};
};

}  // namespace stela
