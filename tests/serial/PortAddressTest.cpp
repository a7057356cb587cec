// How each system reads a port name, once, before anything is looked up: the
// form it takes, its COM number, the device it stands for as it stands, and
// what is wrong with a network port's URL. Each system's rows run on its own
// build (Windows under Wine). Where a COM name leads on Linux: PortNamesTest.
#include "serial/PortAddress.h"

#include <gtest/gtest.h>

#include "tests/support/ThisSystem.h"

namespace stela {
namespace {

using test::System;
constexpr System kSystem = test::kThisSystem;

TEST(PortAddress, EachSystemReadsANameItsOwnWay) {
    using F = PortAddress::Form;
    using P = PortUrlProblem;
    const struct {
        System system;
        const char* name;
        F form;
        int comNumber;
        const char* device;  // as read, before COM names are resolved
        P problem;
    } cases[] = {
        {System::Linux, "", F::None, 0, "", P::None},
        {System::Linux, "com3", F::Com, 3, "", P::None},
        {System::Linux, "/dev/ttyUSB0", F::Device, 0, "/dev/ttyUSB0", P::None},
        {System::Linux, "rfc2217://10.1.2.3:4001", F::Network, 0, "rfc2217://10.1.2.3:4001",
         P::None},
        {System::Linux, "tcp://127.1:4001", F::Network, 0, "tcp://127.1:4001", P::ShortIpv4},
        {System::Linux, "CNCA0", F::NotAPort, 0, "", P::None},
        {System::Linux, "\\\\.\\COM10", F::NotAPort, 0, "", P::None},
        {System::Linux, "COM256", F::NotAPort, 0, "", P::None},
        {System::Windows, "", F::None, 0, "", P::None},
        {System::Windows, "com3", F::Com, 3, "\\\\.\\com3", P::None},
        {System::Windows, "\\\\.\\COM10", F::Device, 0, "\\\\.\\COM10", P::None},
        {System::Windows, "CNCA0", F::Device, 0, "\\\\.\\CNCA0", P::None},
        {System::Windows, "COM256", F::Device, 0, "\\\\.\\COM256", P::None},
        {System::Windows, "tcp://sign:4001", F::Network, 0, "tcp://sign:4001", P::None},
        {System::Windows, "socket://sign:4001", F::Network, 0, "socket://sign:4001",
         P::UnknownScheme},
        {System::Windows, "/dev/ttyS0", F::NotAPort, 0, "", P::None},
        {System::Windows, "C:\\COM3", F::NotAPort, 0, "", P::None},
    };
    for (const auto& c : cases) {
        if (c.system != kSystem) {
            continue;
        }
        const PortAddress address = PortAddress::parse(c.name);
        EXPECT_EQ(address.form(), c.form) << c.name;
        EXPECT_EQ(address.comNumber(), c.comNumber) << c.name;
        EXPECT_EQ(address.device(), c.device) << c.name;
        EXPECT_EQ(address.urlProblem(), c.problem) << c.name;
        EXPECT_EQ(address.url().has_value(), c.form == F::Network && c.problem == P::None)
            << c.name;
        EXPECT_EQ(address.label(), c.name);  // as typed
    }
}

}  // namespace
}  // namespace stela
