// The port object's save, checked in the files it leaves in a private config home.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdexcept>

#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "store/RegFile.h"
#include "tests/serial/Raised.h"
#include "tests/store/RegistryFiles.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

using test::raised;
using test::readFile;
using test::registryFile;

constexpr char kLocation[] = "HKEY_LOCAL_MACHINE\\Software\\ORVENA";
constexpr char kKey[] = "HKEY_LOCAL_MACHINE\\Software\\ORVENA\\ComPort";

const TSavedGroups kAllGroups{sgLine, sgFlowDetail, sgQueues, sgTimeouts, sgParityDetail, sgExtra};

std::string machineFile() {
    return readFile(registryFile(RegistryRoot::LocalMachine));
}

// The port as the window holds it, never opened.
struct WindowPort : TComPort {
    WindowPort() {
        SetBaudRate(br19200);
        SetDiscardNull(true);
    }
};

class SaveSettingsTest : public ::testing::Test {
protected:
    test::ScopedConfigHome home;
    WindowPort port;
};

TEST_F(SaveSettingsTest, PortSetupOnCom3StoresTheSixStringsInAPrivateFile) {
    port.SetPort("COM3");
    port.SaveSettings(kLocation);
    EXPECT_EQ(machineFile(),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\ORVENA\\ComPort]\n"
              "\"Port\"=\"COM3\"\n"
              "\"BaudRate\"=\"19200\"\n"
              "\"StopBits\"=\"1\"\n"
              "\"DataBits\"=\"8\"\n"
              "\"Parity\"=\"None\"\n"
              "\"FlowControl\"=\"None\"\n"
              "\n");
    struct stat info {};
    ASSERT_EQ(stat(registryFile(RegistryRoot::LocalMachine).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(registryDirectory().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(SaveSettingsTest, AllGroupsWithCustomSpeedWrite29ValuesInOrder) {
    port.SetSavedGroups(kAllGroups);
    port.SetBaudRate(brCustom);
    port.SaveSettings(kLocation);
    EXPECT_EQ(machineFile(),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\ORVENA\\ComPort]\n"
              "\"Port\"=\"COM1\"\n"
              "\"BaudRate\"=\"Custom\"\n"
              "\"CustomBaudRate\"=dword:00002580\n"
              "\"StopBits\"=\"1\"\n"
              "\"DataBits\"=\"8\"\n"
              "\"Parity\"=\"None\"\n"
              "\"FlowControl\"=\"None\"\n"
              "\"EventChar\"=\"#0\"\n"
              "\"DiscardNull\"=\"Yes\"\n"
              "\"Parity.Check\"=\"No\"\n"
              "\"Parity.Replace\"=\"No\"\n"
              "\"Parity.ReplaceChar\"=\"#0\"\n"
              "\"Buffer.OutputSize\"=dword:00000400\n"
              "\"Buffer.InputSize\"=dword:00000400\n"
              "\"Timeouts.ReadInterval\"=dword:ffffffff\n"
              "\"Timeouts.ReadTotalConstant\"=dword:00000000\n"
              "\"Timeouts.ReadTotalMultiplier\"=dword:00000000\n"
              "\"Timeouts.WriteTotalConstant\"=dword:000003e8\n"
              "\"Timeouts.WriteTotalMultiplier\"=dword:00000064\n"
              "\"FlowControl.ControlRTS\"=\"Disable\"\n"
              "\"FlowControl.ControlDTR\"=\"Disable\"\n"
              "\"FlowControl.DSRSensitivity\"=\"No\"\n"
              "\"FlowControl.OutCTSFlow\"=\"No\"\n"
              "\"FlowControl.OutDSRFlow\"=\"No\"\n"
              "\"FlowControl.TxContinueOnXoff\"=\"No\"\n"
              "\"FlowControl.XonXoffIn\"=\"No\"\n"
              "\"FlowControl.XonXoffOut\"=\"No\"\n"
              "\"FlowControl.XoffChar\"=\"#19\"\n"
              "\"FlowControl.XonChar\"=\"#17\"\n"
              "\n");

    test::ScopedConfigHome fresh;
    port.SetBaudRate(br19200);
    port.SaveSettings(kLocation);
    const auto file = RegFile::parse(machineFile());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->entries().size(), 28u);
    EXPECT_EQ(file->value(kKey, "CustomBaudRate"), nullptr);
}

TEST_F(SaveSettingsTest, CharactersAreThemselvesFrom33To127AndOtherwiseHashDecimal) {
    const struct {
        char c;
        const char* stored;
    } cases[] = {{'A', "A"},   {'!', "!"},   {'"', "\""},      {'\x7F', "\x7F"},
                 {' ', "#32"}, {'\0', "#0"}, {'\x80', "#128"}, {'\xFF', "#255"}};
    port.SetSavedGroups(TSavedGroups{sgExtra});
    for (const auto& c : cases) {
        port.SetEventChar(c.c);
        port.SaveSettings(kLocation);
        const auto file = RegFile::parse(machineFile());
        ASSERT_TRUE(file);
        EXPECT_EQ(*file->value(kKey, "EventChar"), RegValue::string(c.stored)) << c.stored;
    }
}

TEST_F(SaveSettingsTest, LocationPicksTheRootFileAndTheKeyBelowIt) {
    const struct {
        const char* location;
        RegistryRoot root;
        const char* key;
    } cases[] = {
        {"hkey_current_user\\Software\\X", RegistryRoot::CurrentUser,
         "HKEY_CURRENT_USER\\Software\\X\\ComPort"},
        {"HKEY_USERS\\Software\\X", RegistryRoot::CurrentUser,
         "HKEY_CURRENT_USER\\Software\\X\\ComPort"},
        {"Hkey_Local_Machine\\Software\\Y\\", RegistryRoot::LocalMachine,
         "HKEY_LOCAL_MACHINE\\Software\\Y\\ComPort"},
    };
    for (const auto& c : cases) {
        test::ScopedConfigHome fresh;
        port.SaveSettings(c.location);
        const auto file = RegFile::parse(readFile(registryFile(c.root)));
        ASSERT_TRUE(file) << c.location;
        EXPECT_EQ(file->entries().at(0).key, c.key);
        EXPECT_EQ(file->entries().size(), 6u);
    }
}

TEST_F(SaveSettingsTest, UnusableLocationIsCode16AndWritesNothing) {
    for (const char* location : {"Software", "", "HKEY_LOCAL_MACHINE\\",
                                 "HKEY_LOCAL_MACHINE\\\\Software", "HKEY_CURRENT_USER\\A\\\\B"}) {
        const EComPort e = raised([&] { port.SaveSettings(location); });
        EXPECT_EQ(e.Code(), 16) << location;
        EXPECT_EQ(e.SystemCode(), -1);
        EXPECT_STREQ(e.what(), "Failed to store settings");
    }
    EXPECT_EQ(machineFile(), "");
    EXPECT_EQ(readFile(registryFile(RegistryRoot::CurrentUser)), "");
}

TEST_F(SaveSettingsTest, ValuesAreStoredAllOrNone) {
    port.SaveSettings(kLocation);
    const std::string before = machineFile();

    port.SetPort("COM3\nCOM4");  // no line of the file can hold it
    EXPECT_EQ(raised([&] { port.SaveSettings(kLocation); }).Code(), 16);
    EXPECT_EQ(machineFile(), before);

    struct FailingHalfway : WindowPort {
        void SaveToRegistry(RegistryKey& Key) override {
            TComPort::SaveToRegistry(Key);
            throw std::runtime_error("disk gone");
        }
    } failing;
    failing.SetPort("COM7");
    EXPECT_EQ(raised([&] { failing.SaveSettings(kLocation); }).Code(), 16);
    EXPECT_EQ(machineFile(), before);
}

}  // namespace
}  // namespace stela
