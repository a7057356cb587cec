#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stela::telnet {

// The Telnet codes the serial-server link uses (RFC 854, 855).
inline constexpr unsigned char kIac = 255;
inline constexpr unsigned char kDont = 254;
inline constexpr unsigned char kDo = 253;
inline constexpr unsigned char kWont = 252;
inline constexpr unsigned char kWill = 251;
inline constexpr unsigned char kSb = 250;
inline constexpr unsigned char kSe = 240;

// Options.
inline constexpr unsigned char kBinary = 0;
inline constexpr unsigned char kEcho = 1;
inline constexpr unsigned char kSuppressGoAhead = 3;
inline constexpr unsigned char kComPortOption = 44;

// A negotiation (verb kDo, kDont, kWill, kWont) or a subnegotiation (verb kSb,
// its bytes in `payload`, unescaped).
struct Command {
    unsigned char verb = 0;
    unsigned char option = 0;
    std::string payload;
    friend bool operator==(const Command& a, const Command& b) {
        return a.verb == b.verb && a.option == b.option && a.payload == b.payload;
    }
};

// Splits what a Telnet peer sends into line data and commands, in pieces as they
// come off the socket: a command or an escaped 0xFF may straddle two pieces.
// Every byte is taken as untrusted: other commands (NOP, GA, ...) are dropped,
// a subnegotiation longer than kMaxPayload is cut, and a stray byte after IAC
// inside one ends nothing.
class Decoder {
public:
    static constexpr std::size_t kMaxPayload = 64;

    void feed(std::string_view bytes, std::string& data, std::vector<Command>& commands);

private:
    enum class State { Data, Iac, Verb, SbOption, SbData, SbIac };
    State state_ = State::Data;
    Command pending_;
};

// Line data with every 0xFF doubled, as it travels on the link.
std::string escape(std::string_view data);
// IAC verb option.
std::string negotiation(unsigned char verb, unsigned char option);
// IAC SB option payload IAC SE, with 0xFF in the payload doubled.
std::string subnegotiation(unsigned char option, std::string_view payload);

}  // namespace stela::telnet
