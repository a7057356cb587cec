#include "sim/Fault.h"

#include <algorithm>

#include "protocol/Frames.h"

namespace stela {

namespace {

constexpr std::size_t kChecksumAt = ReadReplyLayout::kChecksum;

Fault make(FaultKind kind) {
    Fault f;
    f.kind = kind;
    return f;
}

bool concernsReadReplies(FaultKind kind) {
    return kind == FaultKind::MissingT || kind == FaultKind::MissingOk ||
           kind == FaultKind::WrongChecksum || kind == FaultKind::LowerCaseChecksum;
}

void restoreChecksum(std::string& reply) {
    reply.replace(kChecksumAt, 2, frameChecksum(reply.substr(0, kChecksumAt)));
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

Fault Fault::silence() {
    return make(FaultKind::Silence);
}
Fault Fault::wrongChecksum() {
    return make(FaultKind::WrongChecksum);
}
Fault Fault::lowerCaseChecksum() {
    return make(FaultKind::LowerCaseChecksum);
}
Fault Fault::missingT() {
    return make(FaultKind::MissingT);
}
Fault Fault::missingOk() {
    return make(FaultKind::MissingOk);
}

Fault Fault::late(SimTime extra) {
    Fault f = make(FaultKind::Late);
    f.delay = extra;
    return f;
}

Fault Fault::truncated(std::size_t bytesKept) {
    Fault f = make(FaultKind::Truncate);
    f.offset = bytesKept;
    return f;
}

Fault Fault::surplus(std::string extra) {
    Fault f = make(FaultKind::Surplus);
    f.bytes = std::move(extra);
    return f;
}

Fault Fault::inserted(std::size_t at, std::string extra) {
    Fault f = make(FaultKind::Insert);
    f.offset = at;
    f.bytes = std::move(extra);
    return f;
}

Fault Fault::replacedBy(std::string reply) {
    Fault f = make(FaultKind::Replace);
    f.bytes = std::move(reply);
    return f;
}

Fault Fault::forAddress(int halfAddress) const {
    Fault f = *this;
    f.address = halfAddress;
    return f;
}

Fault Fault::onFrames(FrameKind frameKind) const {
    Fault f = *this;
    f.frame = frameKind;
    return f;
}

Fault Fault::after(int replies) const {
    Fault f = *this;
    f.skip = std::max(replies, 0);
    return f;
}

Fault Fault::times(int replies) const {
    Fault f = *this;
    f.count = replies;
    return f;
}

bool Fault::matches(FrameKind frameKind, int frameAddress) const {
    if (address && *address != frameAddress) {
        return false;
    }
    if (frame && *frame != frameKind) {
        return false;
    }
    return frameKind == FrameKind::Read || !concernsReadReplies(kind);
}

void applyFault(const Fault& fault, FrameKind kind, FaultedReply& reply) {
    std::string& b = reply.bytes;
    const bool readReply = kind == FrameKind::Read && b.size() == ReadReplyLayout::kSize;
    switch (fault.kind) {
        case FaultKind::Silence:
            break;
        case FaultKind::Replace:
            b = fault.bytes;
            break;
        case FaultKind::MissingT:
            if (readReply) {
                b[0] = 'X';
                restoreChecksum(b);
            }
            break;
        case FaultKind::MissingOk:
            if (readReply) {
                b.replace(ReadReplyLayout::kOk, 2, "ER");
                restoreChecksum(b);
            }
            break;
        case FaultKind::WrongChecksum:
            if (readReply) {
                std::string body = b.substr(0, kChecksumAt);
                body[0] = static_cast<char>(body[0] ^ 0x01);  // any other sum will do
                b.replace(kChecksumAt, 2, frameChecksum(body));
            }
            break;
        case FaultKind::LowerCaseChecksum:
            if (readReply) {
                b[kChecksumAt] = lower(b[kChecksumAt]);
                b[kChecksumAt + 1] = lower(b[kChecksumAt + 1]);
            }
            break;
        case FaultKind::Insert:
            b.insert(std::min(fault.offset, b.size()), fault.bytes);
            break;
        case FaultKind::Truncate:
            b.resize(std::min(fault.offset, b.size()));
            break;
        case FaultKind::Surplus:
            b += fault.bytes;
            break;
        case FaultKind::Late:
            reply.extraDelay += fault.delay;
            break;
    }
}

}  // namespace stela
