#include "net/Telnet.h"

namespace stela::telnet {

void Decoder::feed(std::string_view bytes, std::string& data, std::vector<Command>& commands) {
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (state_) {
            case State::Data:
                if (byte == kIac) {
                    state_ = State::Iac;
                } else {
                    data += c;
                }
                break;
            case State::Iac:
                if (byte == kIac) {
                    data += c;
                    state_ = State::Data;
                } else if (byte == kSb) {
                    state_ = State::SbOption;
                } else if (byte >= kWill) {
                    pending_ = Command{byte, 0, {}};
                    state_ = State::Verb;
                } else {
                    state_ = State::Data;  // NOP, GA, a stray SE ...: nothing to act on
                }
                break;
            case State::Verb:
                pending_.option = byte;
                commands.push_back(std::move(pending_));
                state_ = State::Data;
                break;
            case State::SbOption:
                pending_ = Command{kSb, byte, {}};
                state_ = State::SbData;
                break;
            case State::SbData:
                if (byte == kIac) {
                    state_ = State::SbIac;
                } else if (pending_.payload.size() < kMaxPayload) {
                    pending_.payload += c;
                }
                break;
            case State::SbIac:
                if (byte == kSe) {
                    commands.push_back(std::move(pending_));
                    state_ = State::Data;
                } else {
                    if (byte == kIac && pending_.payload.size() < kMaxPayload) {
                        pending_.payload += c;
                    }
                    state_ = State::SbData;
                }
                break;
        }
    }
}

std::string escape(std::string_view data) {
    std::string out;
    out.reserve(data.size());
    for (char c : data) {
        out += c;
        if (static_cast<unsigned char>(c) == kIac) {
            out += c;
        }
    }
    return out;
}

std::string negotiation(unsigned char verb, unsigned char option) {
    return {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
}

std::string subnegotiation(unsigned char option, std::string_view payload) {
    std::string out{static_cast<char>(kIac), static_cast<char>(kSb), static_cast<char>(option)};
    out += escape(payload);
    out += static_cast<char>(kIac);
    out += static_cast<char>(kSe);
    return out;
}

}  // namespace stela::telnet
