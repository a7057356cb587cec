#include "serial/PortUrl.h"

#include <gtest/gtest.h>

#include "serial/PortAddress.h"
#include "serial/PortList.h"
#include "serial/PortNames.h"
#include "tests/support/FakeSerialTree.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

struct UrlCase {
    const char* name;
    PortUrlProblem problem;
    PortScheme scheme = PortScheme::Tcp;
    const char* host = "";
    int port = 0;
};

TEST(PortUrl, TakesTheFormsATechnicianWrites) {
    using P = PortUrlProblem;
    using S = PortScheme;
    const UrlCase cases[] = {
        {"tcp://10.1.2.3:4001", P::None, S::Tcp, "10.1.2.3", 4001},
        {"rfc2217://10.1.2.3:4001", P::None, S::Rfc2217, "10.1.2.3", 4001},
        {"RFC2217://Station-12.local:7000/", P::None, S::Rfc2217, "Station-12.local", 7000},
        {"tcp://[::1]:1", P::None, S::Tcp, "::1", 1},
        {"rfc2217://[fe80::1%25eth0]:65535", P::None, S::Rfc2217, "fe80::1%eth0", 65535},
        {"rfc2217://[fd00::5%eth0]:4001", P::None, S::Rfc2217, "fd00::5%eth0", 4001},
        {"tcp://4u.example.:1", P::None, S::Tcp, "4u.example.", 1},
        // Shorthands of 127.0.0.1 and 10.1.0.23, and numbers that are no names.
        {"rfc2217://127.1:4001", P::ShortIpv4},
        {"tcp://127.0.1:4001", P::ShortIpv4},
        {"tcp://2130706433:4001", P::ShortIpv4},
        {"tcp://0x7f.1:4001", P::ShortIpv4},
        {"tcp://0x7f000001:4001", P::ShortIpv4},
        {"tcp://10.1.23:4001", P::ShortIpv4},
        {"tcp://010.1.2.3:4001", P::ShortIpv4},
        {"tcp://1.2.3.4.5:4001", P::ShortIpv4},
        {"tcp://10.1.2.3.:4001", P::ShortIpv4},
        {"socket://10.1.2.3:4001", P::UnknownScheme},
        {"telnet://10.1.2.3:4001", P::UnknownScheme},
        {"tcp://:4001", P::NoHost},
        {"tcp://", P::NoHost},
        {"tcp://::1:4001", P::BadHost},
        {"tcp://[::1:4001", P::BadHost},
        {"tcp://[10.1.2.3]:4001", P::BadHost},
        {"tcp://user@host:4001", P::BadHost},
        {"tcp://host/path:4001", P::BadHost},
        {"tcp://host", P::NoPort},
        {"tcp://host:", P::NoPort},
        {"tcp://[::1]", P::NoPort},
        {"tcp://host:0", P::BadPort},
        {"tcp://host:65536", P::BadPort},
        {"tcp://host:-1", P::BadPort},
        {"tcp://host:4001?timeout=1", P::BadPort},
        {"tcp://host:0004001", P::BadPort},
        {"tcp://[::1]x4001", P::BadPort},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(isPortUrl(c.name));
        PortUrl url;
        ASSERT_EQ(parsePortUrl(c.name, url), c.problem);
        if (c.problem == P::None) {
            EXPECT_EQ(url.scheme, c.scheme);
            EXPECT_EQ(url.host, c.host);
            EXPECT_EQ(url.port, c.port);
        }
    }
}

TEST(PortUrl, OnlySchemeColonSlashSlashMakesANetworkName) {
    for (const char* name : {"COM3", "/dev/ttyUSB0", "://host:1", "10.1.2.3:4001", "1tcp://h:1",
                             "tcp:/h:1", "a b://h:1"}) {
        EXPECT_FALSE(isPortUrl(name)) << name;
    }
}

TEST(PortUrl, AComNameStandsForTheUrlItsLinkPointsAt) {
    test::ScopedConfigHome home;
    home.linkCom(7, "rfc2217://10.1.2.3:4001");
    EXPECT_EQ(PortAddress::of("COM7").device(), "rfc2217://10.1.2.3:4001");
    EXPECT_EQ(PortAddress::of("tcp://10.1.2.3:4001").device(), "tcp://10.1.2.3:4001");
    // The dialog lists it: whether the server answers is known only by connecting.
    const test::FakeSerialTree tree(home.path() + "/tree");
    EXPECT_EQ(presentPorts(tree.sources()), std::vector<std::string>{"COM7"});
}

}  // namespace
}  // namespace stela
