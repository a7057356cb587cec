#include "net/Rfc2217Client.h"

#include <vector>

#include "serial/EventMask.h"

namespace stela {
namespace {

using namespace telnet;

// What we ask of the server's line-state notifications: break, framing, parity
// and overrun errors (not "data ready" and the transmitter's state, which change
// with every byte).
constexpr unsigned char kLineStateMask = 0x1E;
constexpr unsigned char kModemStateMask = 0xFF;

// NOTIFY-LINESTATE bits.
constexpr unsigned char kLineBreak = 0x10;
constexpr unsigned char kLineFraming = 0x08;
constexpr unsigned char kLineParity = 0x04;
constexpr unsigned char kLineOverrun = 0x02;

// NOTIFY-MODEMSTATE bits: the states in the high nibble, their changes below.
constexpr unsigned char kModemCd = 0x80;
constexpr unsigned char kModemRi = 0x40;
constexpr unsigned char kModemDsr = 0x20;
constexpr unsigned char kModemCts = 0x10;
constexpr unsigned char kRiTrailingEdge = 0x04;

constexpr unsigned char kServerOffset = 100;

bool weTake(unsigned char option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPortOption;
}

bool theyMay(unsigned char option) {
    return option == kBinary || option == kSuppressGoAhead;
}

std::string comPortCommand(unsigned char command, std::string_view value) {
    return subnegotiation(kComPortOption,
                          std::string(1, static_cast<char>(command)) + std::string(value));
}

std::string oneByte(unsigned char command, unsigned char value) {
    return comPortCommand(command, std::string(1, static_cast<char>(value)));
}

std::string baudRateCommand(std::uint32_t rate) {
    const char value[] = {static_cast<char>(rate >> 24), static_cast<char>(rate >> 16),
                          static_cast<char>(rate >> 8), static_cast<char>(rate)};
    return comPortCommand(Rfc2217Client::kSetBaudRate, std::string_view(value, 4));
}

}  // namespace

std::string Rfc2217Client::greeting() {
    ours_[kComPortOption] = ours_[kBinary] = ours_[kSuppressGoAhead] = Side::WantYes;
    theirs_[kBinary] = theirs_[kSuppressGoAhead] = Side::WantYes;
    return negotiation(kWill, kComPortOption) + negotiation(kWill, kBinary) +
           negotiation(kDo, kBinary) + negotiation(kWill, kSuppressGoAhead) +
           negotiation(kDo, kSuppressGoAhead) + oneByte(kSetLineStateMask, kLineStateMask) +
           oneByte(kSetModemStateMask, kModemStateMask);
}

void Rfc2217Client::receive(std::string_view bytes, std::string& data, std::string& replies) {
    std::vector<Command> commands;
    decoder_.feed(bytes, data, commands);
    for (const Command& command : commands) {
        if (command.verb != kSb) {
            negotiate(command.verb, command.option, replies);
        } else if (command.option == kComPortOption && !command.payload.empty()) {
            notified(static_cast<unsigned char>(command.payload[0]), command.payload.substr(1));
        }
    }
}

// The option table of RFC 1143, without its queue: we never change our mind.
// Only a change of an option's state is answered, and a refusal once: an offer
// repeated after it was refused, or one of what is already in force, gets no
// answer, so that no exchange can loop or pile answers up.
void Rfc2217Client::negotiate(unsigned char verb, unsigned char option, std::string& replies) {
    ++negotiations_;
    const bool aboutUs = verb == kDo || verb == kDont;
    Side& side = aboutUs ? ours_[option] : theirs_[option];
    const bool enable = verb == kDo || verb == kWill;
    const bool wanted = aboutUs ? weTake(option) : theyMay(option);
    const unsigned char yes = aboutUs ? kWill : kDo;
    const unsigned char no = aboutUs ? kWont : kDont;
    if (enable) {
        if (side == Side::WantYes) {
            side = Side::Yes;
        } else if (side == Side::No) {
            replies += negotiation(wanted ? yes : no, option);
            side = wanted ? Side::Yes : Side::Refused;
        }
    } else if (side == Side::Yes || side == Side::WantYes) {
        if (side == Side::Yes) {
            replies += negotiation(no, option);
        }
        side = Side::No;
    }
    if (aboutUs && option == kComPortOption) {
        comPort_ = side == Side::Yes ? ComPort::Accepted : ComPort::Refused;
    }
}

void Rfc2217Client::notified(unsigned char code, const std::string& payload) {
    if (payload.empty()) {
        return;
    }
    const auto first = static_cast<unsigned char>(payload[0]);
    if (code == kNotifyModemState + kServerOffset) {
        // A state that differs from the last one, or whose change bit is set (a
        // change and its undoing between two notifications).
        const auto changed =
            static_cast<unsigned char>(((modemState_ ^ first) | (first << 4)) & 0xF0);
        const bool ringEnded = (first & kRiTrailingEdge) || ((modemState_ & ~first) & kModemRi);
        eventKinds_ |= (changed & kModemCts) ? kEvCts : 0;
        eventKinds_ |= (changed & kModemDsr) ? kEvDsr : 0;
        eventKinds_ |= (changed & kModemCd) ? kEvRlsd : 0;
        eventKinds_ |= ringEnded ? kEvRing : 0;
        modemState_ = first & 0xF0;
        return;
    }
    if (code == kNotifyLineState + kServerOffset) {
        lineState_ |= first & kLineStateMask;
        eventKinds_ |= (first & kLineBreak) ? kEvBreak : 0;
        eventKinds_ |= (first & (kLineFraming | kLineParity | kLineOverrun)) ? kEvErr : 0;
        return;
    }
    if (code <= kServerOffset || code > kServerOffset + kPurgeData) {
        return;  // FLOWCONTROL-SUSPEND/RESUME and what no server should send
    }
    const unsigned char command = code - kServerOffset;
    if (command == kSetBaudRate) {
        if (payload.size() < 4) {
            return;
        }
        std::uint32_t rate = 0;
        for (int i = 0; i < 4; ++i) {
            rate = (rate << 8) | static_cast<unsigned char>(payload[std::size_t(i)]);
        }
        replyValue_[command] = rate;
    } else {
        replyValue_[command] = first;
    }
    ++replyCount_[command];
}

TComSignals Rfc2217Client::modemLines() const {
    TComSignals lines;
    const struct {
        unsigned char bit;
        TComSignal signal;
    } map[] = {{kModemCts, csCTS}, {kModemDsr, csDSR}, {kModemRi, csRing}, {kModemCd, csRLSD}};
    for (const auto& m : map) {
        if (modemState_ & m.bit) {
            lines.include(m.signal);
        }
    }
    return lines;
}

std::uint32_t Rfc2217Client::takeEventKinds() {
    const std::uint32_t kinds = eventKinds_;
    eventKinds_ = 0;
    return kinds;
}

TComErrors Rfc2217Client::takeLineErrors(bool parityCheck) {
    TComErrors errors;
    if (lineState_ & kLineFraming) {
        errors.include(ceFrame);
    }
    if (parityCheck && (lineState_ & kLineParity)) {
        errors.include(ceRxParity);
    }
    if (lineState_ & kLineOverrun) {
        errors.include(ceOverrun);
    }
    if (lineState_ & kLineBreak) {
        errors.include(ceBreak);
    }
    lineState_ = 0;
    return errors;
}

void Rfc2217Client::resetReplies() {
    replyCount_.fill(0);
    replyValue_.fill(0);
}

bool Rfc2217Client::supports(const LineParameters& line) {
    const bool xonXoff = line.xonXoffIn || line.xonXoffOut;
    // The option has no command for the XON/XOFF characters or a replacement
    // character: only the server's defaults can be had.
    return line.baudRate > 0 && line.dataBits >= 5 && line.dataBits <= 8 &&
           line.parity <= prSpace && line.stopBits <= sbTwoStopBits && !line.outDsrFlow &&
           !line.dsrSensitivity && line.dtrControl <= dtrEnable &&
           line.rtsControl <= rtsHandshake && !(line.errorReplace && line.errorChar != 0) &&
           !(xonXoff && (line.xonChar != 0x11 || line.xoffChar != 0x13));
}

unsigned char Rfc2217Client::dataSizeValue(const LineParameters& line) {
    return static_cast<unsigned char>(line.dataBits);
}

unsigned char Rfc2217Client::parityValue(const LineParameters& line) {
    return static_cast<unsigned char>(line.parity + 1);  // NONE 1, ODD 2, EVEN 3, MARK 4, SPACE 5
}

unsigned char Rfc2217Client::stopSizeValue(const LineParameters& line) {
    static const unsigned char values[] = {1, 3, 2};  // one, one and a half, two
    return values[line.stopBits];
}

std::string Rfc2217Client::settingsCommands(const LineParameters& line) {
    std::string out = baudRateCommand(static_cast<std::uint32_t>(line.baudRate));
    out += oneByte(kSetDataSize, dataSizeValue(line));
    out += oneByte(kSetParity, parityValue(line));
    out += oneByte(kSetStopSize, stopSizeValue(line));
    // Outbound flow: 1 none, 2 XON/XOFF, 3 CTS; inbound: 14 none, 15 XON/XOFF, 16 RTS.
    out += oneByte(kSetControl, line.outCtsFlow ? 3 : line.xonXoffOut ? 2 : 1);
    out += oneByte(kSetControl, line.rtsControl == rtsHandshake ? 16 : line.xonXoffIn ? 15 : 14);
    out += oneByte(kSetControl, line.dtrControl == dtrEnable ? 8 : 9);
    if (line.rtsControl != rtsHandshake) {
        out += oneByte(kSetControl, line.rtsControl == rtsEnable ? 11 : 12);
    }
    return out;
}

std::string Rfc2217Client::baudRateQuery() {
    return baudRateCommand(0);
}

std::string Rfc2217Client::purge(unsigned char what) {
    return oneByte(kPurgeData, what);
}

}  // namespace stela
