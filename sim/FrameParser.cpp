#include "sim/FrameParser.h"

#include <algorithm>

#include "protocol/Frames.h"

namespace stela {

namespace {

constexpr std::size_t kMaxEffectDigits = 3;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAddress(char c) {
    return c >= 0x30 && c <= 0x3F;
}

enum class Fit {
    Prefix,          // may still become a frame
    Complete,        // a whole frame
    EndsBeforeLast,  // a whole frame without its last byte, which starts anew
    Invalid,         // cannot be a frame
};

// Judges the frame in progress by its last byte; the bytes before it were
// judged when they came.
Fit fit(const std::string& f) {
    const std::size_t i = f.size() - 1;
    const char c = f[i];
    if (i == 0) {
        return (c == 'R' || c == 'W' || c == 'L' || c == 'q') ? Fit::Prefix : Fit::Invalid;
    }
    switch (f[0]) {
        case 'R':
            if (i == 1) {
                return isAddress(c) ? Fit::Prefix : Fit::Invalid;
            }
            return c == 'E' ? Fit::Complete : Fit::Invalid;
        case 'W':
            if (i == 1) {
                return isAddress(c) ? Fit::Prefix : Fit::Invalid;
            }
            if (i == 8) {
                return c == 'E' ? Fit::Prefix : Fit::Invalid;
            }
            return i + 1 == kWriteFrameSize ? Fit::Complete : Fit::Prefix;
        case 'L':
            if (i == 1) {
                return c == 'A' ? Fit::Complete : c == 'M' ? Fit::Prefix : Fit::Invalid;
            }
            return isDigit(c) ? Fit::Complete : Fit::Invalid;
        case 'q':
            if (isDigit(c)) {
                return i == kMaxEffectDigits ? Fit::Complete : Fit::Prefix;
            }
            return i == 1 ? Fit::Invalid : Fit::EndsBeforeLast;
        default:
            return Fit::Invalid;
    }
}

FrameKind kindOf(const std::string& frame) {
    switch (frame[0]) {
        case 'R':
            return FrameKind::Read;
        case 'W':
            return FrameKind::Write;
        case 'L':
            return frame[1] == 'A' ? FrameKind::AutoBrightness : FrameKind::ManualBrightness;
        default:
            return FrameKind::Effect;
    }
}

}  // namespace

FrameParser::FrameParser(SimTime idleGap) : gap_() {
    setIdleGap(idleGap);
}

void FrameParser::setIdleGap(SimTime gap) {
    gap_ = std::max<SimTime>(gap, std::chrono::microseconds(1));
}

void FrameParser::feed(char byte, SimTime at, std::vector<ParsedItem>& out) {
    idle(at, out);
    last_ = at;
    partial_ += byte;
    settle(at, out);
}

void FrameParser::idle(SimTime now, std::vector<ParsedItem>& out) {
    if (partial_.empty() || now - last_ < gap_) {
        return;
    }
    const SimTime end = last_ + gap_;
    if (partial_[0] == 'q' && partial_.size() > 1) {
        emitFrame(std::move(partial_), end, out);
    } else {
        for (char c : partial_) {
            emitDiscarded(c, end, out);
        }
    }
    partial_.clear();
}

std::optional<SimTime> FrameParser::deadline() const {
    if (partial_.empty()) {
        return std::nullopt;
    }
    return last_ + gap_;
}

void FrameParser::settle(SimTime at, std::vector<ParsedItem>& out) {
    switch (fit(partial_)) {
        case Fit::Prefix:
            return;
        case Fit::Complete:
            emitFrame(std::move(partial_), at, out);
            partial_.clear();
            return;
        case Fit::EndsBeforeLast: {
            const char next = partial_.back();
            partial_.pop_back();
            emitFrame(std::move(partial_), at, out);
            partial_.assign(1, next);
            settle(at, out);
            return;
        }
        case Fit::Invalid: {
            emitDiscarded(partial_[0], at, out);
            const std::string rest = partial_.substr(1);
            partial_.clear();
            for (char c : rest) {
                partial_ += c;
                settle(at, out);
            }
            return;
        }
    }
}

void FrameParser::emitFrame(std::string bytes, SimTime at, std::vector<ParsedItem>& out) {
    const FrameKind kind = kindOf(bytes);
    out.push_back({true, kind, std::move(bytes), at});
}

void FrameParser::emitDiscarded(char byte, SimTime at, std::vector<ParsedItem>& out) {
    if (!out.empty() && !out.back().isFrame && out.back().at == at) {
        out.back().bytes += byte;
    } else {
        out.push_back({false, FrameKind::Read, std::string(1, byte), at});
    }
}

}  // namespace stela
