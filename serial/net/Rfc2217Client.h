#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/Telnet.h"
#include "serial/ComDevice.h"
#include "serial/ComTypes.h"

namespace stela {

// The client's side of a Telnet link with the COM-PORT-OPTION (RFC 2217),
// without the socket: it takes what the server sends, answers the option
// negotiation, keeps what the server notifies of the modem lines and the line's
// errors, and counts the server's replies to our commands. It also composes the
// commands. Options taken: BINARY and SUPPRESS-GO-AHEAD both ways and the
// COM-PORT-OPTION on our side; ECHO and all others are refused.
class Rfc2217Client {
public:
    // Command numbers as we send them; the server answers with the number + 100.
    enum : unsigned char {
        kSetBaudRate = 1,
        kSetDataSize = 2,
        kSetParity = 3,
        kSetStopSize = 4,
        kSetControl = 5,
        kNotifyLineState = 6,
        kNotifyModemState = 7,
        kSetLineStateMask = 10,
        kSetModemStateMask = 11,
        kPurgeData = 12,
    };
    // PURGE-DATA values.
    enum : unsigned char { kPurgeReceive = 1, kPurgeTransmit = 2, kPurgeBoth = 3 };

    enum class ComPort { Pending, Accepted, Refused };

    // What opens the link: our offer of the COM-PORT-OPTION and binary
    // transmission, and the masks of what the server should notify.
    std::string greeting();

    // Takes bytes from the server. Line data are appended to `data`, the answers
    // the negotiation needs to `replies` (to be sent in order with our output).
    void receive(std::string_view bytes, std::string& data, std::string& replies);

    ComPort comPort() const { return comPort_; }
    // A server that has sent more option negotiations than any needs to set up
    // a link (a handful) will not stop: the link is to be ended.
    bool keepsNegotiating() const { return negotiations_ > kMaxNegotiations; }

    // The modem lines as last notified (all off until the server tells).
    TComSignals modemLines() const;
    // Line-event kinds (serial/EventMask.h) notified since the previous call.
    std::uint32_t takeEventKinds();
    // Line errors notified since the previous call; parity errors only when
    // `parityCheck`.
    TComErrors takeLineErrors(bool parityCheck);

    // Replies to `command` (a kSet... number) since resetReplies(), and the value
    // of the latest (the whole 32 bits for the baud rate, else its one byte).
    int replies(unsigned char command) const { return replyCount_[command]; }
    std::uint32_t lastReply(unsigned char command) const { return replyValue_[command]; }
    void resetReplies();

    // Whether the COM-PORT-OPTION can carry these parameters.
    static bool supports(const LineParameters& line);
    // SET-BAUDRATE .. SET-STOPSIZE and the SET-CONTROL values for flow control,
    // DTR and RTS, in one piece.
    static std::string settingsCommands(const LineParameters& line);
    // SET-BAUDRATE 0: asks for the current rate (answered even by a server that
    // acknowledges nothing else).
    static std::string baudRateQuery();
    static std::string purge(unsigned char what);
    // The values the server acknowledges for `line`.
    static unsigned char dataSizeValue(const LineParameters& line);
    static unsigned char parityValue(const LineParameters& line);
    static unsigned char stopSizeValue(const LineParameters& line);

private:
    static constexpr int kMaxNegotiations = 256;

    // Refused: off, and the server was told so once.
    enum class Side : unsigned char { No, WantYes, Yes, Refused };

    void negotiate(unsigned char verb, unsigned char option, std::string& replies);
    void notified(unsigned char code, const std::string& payload);

    telnet::Decoder decoder_;
    std::array<Side, 256> ours_{};    // options we perform
    std::array<Side, 256> theirs_{};  // options the server performs
    ComPort comPort_ = ComPort::Pending;
    int negotiations_ = 0;
    unsigned char modemState_ = 0;
    std::uint32_t eventKinds_ = 0;
    unsigned char lineState_ = 0;  // error bits notified since last taken
    std::array<int, 13> replyCount_{};
    std::array<std::uint32_t, 13> replyValue_{};
};

}  // namespace stela
