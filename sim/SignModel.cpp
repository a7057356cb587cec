#include "sim/SignModel.h"

#include <algorithm>
#include <stdexcept>

#include "protocol/Frames.h"

namespace stela {

namespace {

int frameAddress(const ParsedItem& frame) {
    const bool addressed = frame.kind == FrameKind::Read || frame.kind == FrameKind::Write;
    return addressed ? addressOf(addressCharacterOf(frame.bytes)) : -1;
}

}  // namespace

bool isStorable(const HalfContent& c) {
    return c.price.size() == 4 && std::all_of(c.price.begin(), c.price.end(), isPriceCharacter) &&
           c.grade >= '0' && c.grade <= '5' && c.flags >= '0' && c.flags <= '3';
}

SignModel::SignModel() = default;

void SignModel::setProcessingDelay(SimTime delay) {
    delay_ = std::max(delay, SimTime::zero());
}

const HalfContent& SignModel::half(int address) const {
    if (!isHalfAddress(address)) {
        throw std::out_of_range("no panel half at address " + std::to_string(address));
    }
    return halves_[static_cast<std::size_t>(address)];
}

HalfContent& SignModel::slot(int address) {
    return halves_.at(static_cast<std::size_t>(address));
}

void SignModel::setHalf(int address, const HalfContent& content) {
    half(address);  // validates the address
    if (!isStorable(content)) {
        throw std::invalid_argument("content the sign cannot show");
    }
    slot(address) = content;
}

int SignModel::addFault(const Fault& fault) {
    faults_.push_back({nextFaultId_, fault});
    return nextFaultId_++;
}

void SignModel::removeFault(int id) {
    faults_.erase(std::remove_if(faults_.begin(), faults_.end(),
                                 [id](const ActiveFault& f) { return f.id == id; }),
                  faults_.end());
}

void SignModel::receive(std::string_view bytes, SimTime at) {
    now_ = std::max(now_, at);
    std::vector<ParsedItem> items;
    for (char byte : bytes) {
        parser_.feed(byte, now_, items);
    }
    handle(items);
}

std::vector<TimedByte> SignModel::takeReplyBytes(SimTime upTo) {
    now_ = std::max(now_, upTo);
    std::vector<ParsedItem> items;
    parser_.idle(now_, items);
    handle(items);

    std::vector<TimedByte> out;
    while (!replies_.empty()) {
        PendingReply& reply = replies_.front();
        while (reply.sent < reply.bytes.size()) {
            const SimTime at = reply.start + wireTime(static_cast<std::int64_t>(reply.sent) + 1);
            if (at > upTo) {
                return out;
            }
            out.push_back({at, reply.bytes[reply.sent++]});
        }
        if (observer_ != nullptr) {
            observer_->replySent(reply.bytes, out.back().at);
        }
        replies_.pop_front();
    }
    return out;
}

std::optional<SimTime> SignModel::nextEventTime() const {
    std::optional<SimTime> next = parser_.deadline();
    if (!replies_.empty()) {
        const PendingReply& r = replies_.front();
        const SimTime byteAt = r.start + wireTime(static_cast<std::int64_t>(r.sent) + 1);
        next = next ? std::min(*next, byteAt) : byteAt;
    }
    return next;
}

void SignModel::handle(std::vector<ParsedItem>& items) {
    for (const ParsedItem& item : items) {
        if (item.isFrame) {
            handleFrame(item);
        } else if (observer_ != nullptr) {
            observer_->bytesDiscarded(item.bytes, item.at);
        }
    }
}

void SignModel::handleFrame(const ParsedItem& frame) {
    FrameOutcome outcome = judge(frame);
    std::vector<Fault> faults;
    if (outcome == FrameOutcome::Answered) {
        faults = takeFaultsFor(frame.kind, frameAddress(frame));
        const auto silenced = [](const Fault& f) { return f.kind == FaultKind::Silence; };
        if (std::any_of(faults.begin(), faults.end(), silenced)) {
            outcome = FrameOutcome::Ignored;
        }
    }
    if (observer_ != nullptr) {
        observer_->frameReceived({frame.at, frame.kind, frame.bytes, outcome});
    }
    if (outcome != FrameOutcome::Answered) {
        return;
    }
    FaultedReply reply{actOn(frame), {}};
    std::stable_sort(faults.begin(), faults.end(),
                     [](const Fault& a, const Fault& b) { return a.kind < b.kind; });
    for (const Fault& f : faults) {
        applyFault(f, frame.kind, reply);
    }
    schedule(std::move(reply.bytes), frame.at + delay_ + reply.extraDelay);
}

FrameOutcome SignModel::judge(const ParsedItem& frame) const {
    if (frame.kind == FrameKind::Read || frame.kind == FrameKind::Write) {
        const std::optional<WriteFrame> write = parseWriteFrame(frame.bytes);
        if (write && !write->checksumMatches) {
            return FrameOutcome::WrongChecksum;
        }
        if (!isHalfAddress(frameAddress(frame))) {
            return FrameOutcome::NoSuchAddress;
        }
        if (write && !isStorable({write->price, write->grade, write->captions})) {
            return FrameOutcome::InvalidContent;
        }
    }
    return FrameOutcome::Answered;
}

std::string SignModel::actOn(const ParsedItem& frame) {
    const std::string& b = frame.bytes;
    switch (frame.kind) {
        case FrameKind::Read:
            return readReply(frameAddress(frame));
        case FrameKind::Write: {
            const WriteFrame write = *parseWriteFrame(b);
            slot(frameAddress(frame)) = {write.price, write.grade, write.captions};
            return "WOK" + write.checksum;
        }
        case FrameKind::AutoBrightness:
            brightnessMode_ = BrightnessMode::Automatic;
            return b;
        case FrameKind::ManualBrightness:
            brightnessMode_ = BrightnessMode::Manual;
            brightnessLevel_ = b[2] - '0';
            return b;
        case FrameKind::Effect:
            effectSeconds_ = std::stoi(b.substr(1));
            return "FOK";
    }
    return {};
}

std::string SignModel::readReply(int address) const {
    const HalfContent& h = half(address);
    // The two bytes the console does not examine carry the brightness.
    const char brightness[] = {brightnessMode_ == BrightnessMode::Automatic ? 'A' : 'M',
                               static_cast<char>('0' + brightnessLevel_)};
    return composeReadReply(addressCharacter(address), h.price, h.grade, h.flags,
                            std::string_view(brightness, 2));
}

std::vector<Fault> SignModel::takeFaultsFor(FrameKind kind, int address) {
    std::vector<Fault> hit;
    for (ActiveFault& active : faults_) {
        Fault& f = active.fault;
        if (f.count == 0 || !f.matches(kind, address)) {
            continue;
        }
        if (f.skip > 0) {
            --f.skip;
            continue;
        }
        hit.push_back(f);
        if (f.count > 0) {
            --f.count;
        }
    }
    faults_.erase(std::remove_if(faults_.begin(), faults_.end(),
                                 [](const ActiveFault& a) { return a.fault.count == 0; }),
                  faults_.end());
    return hit;
}

void SignModel::schedule(std::string bytes, SimTime earliest) {
    if (bytes.empty()) {
        return;
    }
    const SimTime start = std::max(earliest, lineFree_);
    lineFree_ = start + wireTime(static_cast<std::int64_t>(bytes.size()));
    replies_.push_back({std::move(bytes), start, 0});
}

}  // namespace stela
