// The Telnet decoder and the RFC 2217 client, without a socket.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/EventMask.h"
#include "net/Rfc2217Client.h"
#include "net/Telnet.h"

namespace stela {
namespace {

using namespace std::string_literals;

TEST(TelnetDecoder, SplitsDataFromCommandsWhereverAPieceEnds) {
    // IAC IAC, a negotiation, a subnegotiation with an escaped 0xFF and a stray
    // IAC 'x' inside it, a NOP.
    const std::string stream =
        "AB\xFF\xFF"
        "C\xFF\xFB\x03\xFF\xFA\x2C\x6B\x30\xFF\xFF\xFFx\xFF\xF0"
        "D\xFF\xF1"
        "E"s;
    const std::vector<telnet::Command> commands{{telnet::kWill, 3, ""},
                                                {telnet::kSb, 44, "\x6B\x30\xFF"}};
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        telnet::Decoder decoder;
        std::string data;
        std::vector<telnet::Command> got;
        decoder.feed(std::string_view(stream).substr(0, cut), data, got);
        decoder.feed(std::string_view(stream).substr(cut), data, got);
        EXPECT_EQ(data,
                  "AB\xFF"
                  "CDE")
            << "cut at " << cut;
        EXPECT_EQ(got, commands) << "cut at " << cut;
    }
}

TEST(TelnetDecoder, CutsAnOverlongSubnegotiationAndGoesOn) {
    telnet::Decoder decoder;
    std::string data;
    std::vector<telnet::Command> got;
    decoder.feed("\xFF\xFA\x2C"s + std::string(1000, 'x') +
                     "\xFF\xF0"
                     "ok",
                 data, got);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].payload, std::string(telnet::Decoder::kMaxPayload, 'x'));
    EXPECT_EQ(data, "ok");
}

TEST(TelnetEncoding, DoublesEvery0xFF) {
    EXPECT_EQ(telnet::escape("\xFF"
                             "a\xFF\xFF"),
              "\xFF\xFF"
              "a\xFF\xFF\xFF\xFF");
    EXPECT_EQ(telnet::subnegotiation(44, "\x0B\xFF"), "\xFF\xFA\x2C\x0B\xFF\xFF\xFF\xF0");
}

// What ser2net 4.3 sends as a connection opens, then its words when the line is
// taken (it closes the connection after them).
const std::string kSer2netOpening =
    "\xFF\xFB\x03\xFF\xFD\x03\xFF\xFB\x01\xFF\xFE\x01\xFF\xFD\x00\xFF\xFB\x00\xFF\xFD\x2C"s;

TEST(Rfc2217Client, OffersTheOptionAndAnswersSer2netWithOneRefusal) {
    Rfc2217Client client;
    EXPECT_EQ(client.greeting(),
              "\xFF\xFB\x2C\xFF\xFB\x00\xFF\xFD\x00\xFF\xFB\x03\xFF\xFD\x03"
              "\xFF\xFA\x2C\x0A\x1E\xFF\xF0\xFF\xFA\x2C\x0B\xFF\xFF\xFF\xF0"s);
    std::string data, replies;
    client.receive(kSer2netOpening + "Port already in use\r\n", data, replies);
    EXPECT_EQ(replies, "\xFF\xFE\x01");  // no echo of our frames, please
    EXPECT_EQ(data, "Port already in use\r\n");
    EXPECT_EQ(client.comPort(), Rfc2217Client::ComPort::Accepted);
}

TEST(Rfc2217Client, AnswersEachRequestOnceAndRefusesWhatItDoesNotKnow) {
    Rfc2217Client client;
    std::string data, replies;
    // DO COM-PORT twice, DO TERMINAL-TYPE, WILL STATUS, DONT BINARY (never on).
    client.receive("\xFF\xFD\x2C\xFF\xFD\x2C\xFF\xFD\x18\xFF\xFB\x05\xFF\xFE\x00"s, data, replies);
    EXPECT_EQ(replies, "\xFF\xFB\x2C\xFF\xFC\x18\xFF\xFE\x05"s);
    EXPECT_EQ(client.comPort(), Rfc2217Client::ComPort::Accepted);
    client.receive("\xFF\xFD\x2C\xFF\xFD\x18\xFF\xFB\x05"s, data, replies);  // again: no answer
    EXPECT_EQ(replies, "\xFF\xFB\x2C\xFF\xFC\x18\xFF\xFE\x05"s);

    Rfc2217Client refused;
    refused.greeting();
    replies.clear();
    refused.receive("\xFF\xFE\x2C"s, data, replies);
    EXPECT_EQ(refused.comPort(), Rfc2217Client::ComPort::Refused);
    EXPECT_EQ(replies, "");
}

TEST(Rfc2217Client, KeepsWhatTheServerNotifiesAndCountsItsReplies) {
    Rfc2217Client client;
    std::string data, replies;
    // Modem state: CTS and DSR on; line state: break, framing, parity, overrun.
    client.receive("\xFF\xFA\x2C\x6B\x30\xFF\xF0\xFF\xFA\x2C\x6A\x1E\xFF\xF0"s, data, replies);
    EXPECT_EQ(client.modemLines(), (TComSignals{csCTS, csDSR}));
    EXPECT_EQ(client.takeEventKinds(), kEvCts | kEvDsr | kEvBreak | kEvErr);
    EXPECT_EQ(client.takeLineErrors(false), (TComErrors{ceFrame, ceOverrun, ceBreak}));
    EXPECT_EQ(client.takeLineErrors(true), TComErrors{});  // taken
    // A ring has ended (its trailing edge) and DSR dropped; CTS stays.
    client.receive("\xFF\xFA\x2C\x6B\x16\xFF\xF0"s, data, replies);
    EXPECT_EQ(client.takeEventKinds(), kEvRing | kEvDsr);
    EXPECT_EQ(client.modemLines(), TComSignals{csCTS});
    // CTS dropped and came back between two notifications: only its change bit says so.
    client.receive("\xFF\xFA\x2C\x6B\x11\xFF\xF0"s, data, replies);
    EXPECT_EQ(client.takeEventKinds(), kEvCts);

    // Replies to SET-BAUDRATE (32 bits), SET-DATASIZE; a short one is no reply.
    client.receive(
        "\xFF\xFA\x2C\x65\x00\x00\x4B\x00\xFF\xF0\xFF\xFA\x2C\x66\x08\xFF\xF0"
        "\xFF\xFA\x2C\x65\x00\xFF\xF0"s,
        data, replies);
    EXPECT_EQ(client.replies(Rfc2217Client::kSetBaudRate), 1);
    EXPECT_EQ(client.lastReply(Rfc2217Client::kSetBaudRate), 19200u);
    EXPECT_EQ(client.lastReply(Rfc2217Client::kSetDataSize), 8u);
    EXPECT_EQ(data, "");
}

TEST(Rfc2217Client, SendsTheSignsLineSettingsWithFlowControlAndBothLinesOff) {
    LineParameters line;
    line.baudRate = 19200;
    EXPECT_EQ(Rfc2217Client::settingsCommands(line),
              "\xFF\xFA\x2C\x01\x00\x00\x4B\x00\xFF\xF0"  // 19200
              "\xFF\xFA\x2C\x02\x08\xFF\xF0"              // 8 data bits
              "\xFF\xFA\x2C\x03\x01\xFF\xF0"              // no parity
              "\xFF\xFA\x2C\x04\x01\xFF\xF0"              // one stop bit
              "\xFF\xFA\x2C\x05\x01\xFF\xF0"              // no flow control out
              "\xFF\xFA\x2C\x05\x0E\xFF\xF0"              // ... nor in
              "\xFF\xFA\x2C\x05\x09\xFF\xF0"              // DTR off
              "\xFF\xFA\x2C\x05\x0C\xFF\xF0"s);           // RTS off
    line.dtrControl = dtrHandshake;
    EXPECT_FALSE(Rfc2217Client::supports(line));
}

}  // namespace
}  // namespace stela
