// The real chain in real time: TComPort on a POSIX device, the reply reader
// with the steady clock, and stela-sim's serving loop answering on the other
// side of a pseudo-terminal. Nothing here asserts how long anything took: the
// exchanges' own poll margins (replies arrive within ~8 ms, polls sleep 50 ms)
// and the console's repeat rules absorb a loaded machine.
#include <gtest/gtest.h>

#include <string>

#include "workflows/SignPort.h"
#include "protocol/Frames.h"
#include "protocol/LogText.h"
#include "protocol/ReplyReader.h"
#include "serial/TComPort.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/ServedSign.h"
#include "tests/support/SimFixture.h"

namespace stela {
namespace {

constexpr int kHalves[] = {0, 1, 2, 3, 4, 8, 9, 10, 11, 12};
constexpr int kHalfReadPasses = 7;
constexpr int kConfirmationAttempts = 3;

class RealTimeExchangeTest : public ::testing::Test {
protected:
    // The port object as the window sets it up, on the served sign as COM6.
    void connect() {
        sign.start();
        home.linkCom(6, sign.devicePath());
        loadSignPortSettings(port);
        port.SetPort("COM6");
        port.Open();
    }

    // One half read as the console makes it: passes until the checksum matches.
    std::string readHalf(int address) {
        const PolledExchange exchange = panelReadExchange(addressCharacter(address));
        std::string reply;
        for (int pass = 0; pass < kHalfReadPasses; ++pass) {
            reader.run(exchange, reply);
            if (checkReadReply(reply)) {
                break;
            }
        }
        return reply;
    }

    test::ScopedConfigHome home;
    test::ServedSign sign;
    TComPort port;
    SteadyClock clock;
    test::LogLines log;
    ReplyReader reader{port, clock, log};
};

TEST_F(RealTimeExchangeTest, ReadsAllTenHalvesAsTheSignHoldsThem) {
    auto contentOf = [](int address) {
        const char digit = static_cast<char>('0' + address % 10);
        return HalfContent{std::string("1") + digit + "9" + digit,
                           static_cast<char>('1' + address % 5),
                           static_cast<char>('0' + address % 4)};
    };
    for (int address : kHalves) {
        sign.model().setHalf(address, contentOf(address));
    }
    connect();

    for (int address : kHalves) {
        SCOPED_TRACE(address);
        const std::string reply = readHalf(address);
        ASSERT_TRUE(checkReadReply(reply)) << logText(reply);
        const HalfContent expected = contentOf(address);
        EXPECT_EQ(reply.substr(0, 2), std::string("T") + addressCharacter(address));
        EXPECT_EQ(reply.substr(2, 6), expected.price + expected.grade + expected.flags);
        EXPECT_EQ(reply.substr(10, 2), "OK");
        EXPECT_EQ(log.lines.back(), "Принял:" + logText(reply));
    }
}

TEST_F(RealTimeExchangeTest, WriteIsConfirmedAndStored) {
    connect();
    PriceRowInputs row;
    row.priceText = "45.67";
    row.gradeIndex = 2;
    row.caption1 = true;
    const std::string frame = composeWriteFrame(addressCharacter(9), row);

    // As a write step: the frame once, then the confirmation with its own copy.
    port.WriteText(frame);
    const PolledExchange exchange = writeConfirmationExchange(frame);
    std::string confirmation;
    for (int attempt = 0; attempt < kConfirmationAttempts; ++attempt) {
        reader.run(exchange, confirmation);
        if (confirmation.compare(0, 3, "WOK") == 0) {
            break;
        }
    }
    EXPECT_EQ(confirmation.substr(0, 3), "WOK") << logText(confirmation);

    // The sign answers a read of that half with what was written...
    const std::string reply = readHalf(9);
    ASSERT_TRUE(checkReadReply(reply)) << logText(reply);
    EXPECT_EQ(reply.substr(2, 6), "456731");
    // ...and that is what it stores; the other halves are untouched.
    sign.stop();
    EXPECT_EQ(sign.model().half(9), (HalfContent{"4567", '3', '1'}));
    EXPECT_EQ(sign.model().half(1), HalfContent{});
}

}  // namespace
}  // namespace stela
