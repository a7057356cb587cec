#include "sim/tool/SimOptions.h"

#include <gtest/gtest.h>

#include "sim/tool/FaultText.h"

namespace stela {
namespace {

using std::chrono::milliseconds;

TEST(FaultText, KindsValuesAndFilters) {
    const Fault late = parseFault("late=160,address=8,frames=write,after=2,times=3");
    EXPECT_EQ(late.kind, FaultKind::Late);
    EXPECT_EQ(late.delay, milliseconds(160));
    EXPECT_EQ(late.address, 8);
    EXPECT_EQ(late.frame, FrameKind::Write);
    EXPECT_EQ(late.skip, 2);
    EXPECT_EQ(late.count, 3);

    const Fault garbage = parseFault("garbage=\\x00a\\x2Cb\\\\,at=3");
    EXPECT_EQ(garbage.kind, FaultKind::Insert);
    EXPECT_EQ(garbage.bytes, std::string("\0a,b\\", 5));
    EXPECT_EQ(garbage.offset, 3u);

    EXPECT_EQ(parseFault("nul=2").bytes, std::string(2, '\0'));
    EXPECT_EQ(parseFault("lost").kind, FaultKind::Truncate);
    EXPECT_EQ(parseFault("lost").offset, 0u);
    EXPECT_EQ(parseFault("silence").count, -1);
    EXPECT_EQ(parseFault("no-ok,frames=read").frame, FrameKind::Read);
    EXPECT_EQ(describeFault(late), "late 160 ms, address 8, write frames, after 2, 3 more");
}

TEST(FaultText, RejectsMalformedFaults) {
    for (const char* bad :
         {"", "loud", "late", "late=", "late=-1", "late=1x", "silence=3", "truncate=99",
          "surplus=\\x4", "surplus=\\q", "late=5,address=16", "late=5,frames=all", "late=5,times=0",
          "late=5,times", "late=5,at=2", "late=5,colour=red"}) {
        EXPECT_THROW(parseFault(bad), std::invalid_argument) << bad;
    }
}

TEST(SimOptions, ParsesTheCommandLine) {
    const SimOptions o = parseSimOptions({"--com", "7", "--delay", "0.5", "--gap", "3", "--quiet",
                                          "--fault", "silence", "--set", "0=456731"});
    EXPECT_EQ(o.com, 7);
    EXPECT_EQ(o.processingDelay, std::chrono::microseconds(500));
    EXPECT_EQ(o.idleGap, milliseconds(3));
    EXPECT_TRUE(o.quiet);
    ASSERT_EQ(o.faults.size(), 1u);
    ASSERT_EQ(o.content.size(), 1u);
    EXPECT_EQ(o.content[0].first, 0);
    EXPECT_EQ(o.content[0].second, (HalfContent{"4567", '3', '1'}));

    EXPECT_EQ(parseSimOptions({"--set", "all=----10"}).content.size(), 10u);
    EXPECT_TRUE(parseSimOptions({"--help"}).help);
}

TEST(SimOptions, RejectsBadValues) {
    const std::vector<std::vector<std::string>> bad = {{"--com"},
                                                       {"--com", "0"},
                                                       {"--com", "256"},
                                                       {"--com", "07x"},
                                                       {"--delay", "-1"},
                                                       {"--delay", "nan"},
                                                       {"--delay", "1e9"},
                                                       {"--gap", "0"},
                                                       {"--set", "5=0000"},
                                                       {"--set", "0=12345"},
                                                       {"--set", "0=1234"},
                                                       {"--set", "x=000010"},
                                                       {"--set", "0=00a010"},
                                                       {"--verbose"}};
    for (const auto& args : bad) {
        EXPECT_THROW(parseSimOptions(args), std::invalid_argument) << args[0];
    }
}

}  // namespace
}  // namespace stela
