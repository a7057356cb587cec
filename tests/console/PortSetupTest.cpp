#include <cerrno>
#include <filesystem>
#include <functional>

#include "console/PortTrouble.h"
#include "serial/EComPort.h"
#include "tests/console/ConsoleFixture.h"
#include "tests/store/RegistryFiles.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;

// The settings as the port setup stores them, for a port at 19200 8N1.
std::string storedSettings(const std::string& port) {
    return "Windows Registry Editor Version 5.00\n"
           "\n"
           "[HKEY_LOCAL_MACHINE\\Software\\ORVENA\\ComPort]\n"
           "\"Port\"=\"" +
           port +
           "\"\n"
           "\"BaudRate\"=\"19200\"\n"
           "\"StopBits\"=\"1\"\n"
           "\"DataBits\"=\"8\"\n"
           "\"Parity\"=\"None\"\n"
           "\"FlowControl\"=\"None\"\n"
           "\n";
}

std::string storedFile() {
    return test::readFile(test::registryFile(RegistryRoot::LocalMachine));
}

// The port setup with a stand-in for the dialog: `choose` acts as the
// operator's OK would (nothing, for Cancel), on the port the dialog was given.
class PortSetupTest : public test::ConsoleTest {
protected:
    PortSetupTest() {
        sim.device->attachSign("COM3");
        sim.device->addSilentPort("COM5");
        sim.port.SetSetupRunner([this](TCustomComPort& port) {
            openDuringDialog.push_back(port.Connected());
            if (choose) {
                choose(port);
            }
        });
        press(&Console::boardSearch);  // finds COM3 and leaves it open
        view.calls.clear();
    }

    // Presses "Настроить COM - порт." and returns what the window was asked to
    // show or change meanwhile.
    Lines pressSetup() {
        press(&Console::portSetup);
        return view.calls;
    }

    test::ScopedConfigHome home;
    std::function<void(TCustomComPort&)> choose;
    std::vector<bool> openDuringDialog;
};

TEST_F(PortSetupTest, CancelStillStoresTheSettingsAndReopensAt19200) {
    const int opens = sim.device->openCount();
    EXPECT_EQ(pressSetup(), Lines{});
    EXPECT_EQ(openDuringDialog, std::vector<bool>{false});
    EXPECT_EQ(sim.device->openPort(), "COM3");
    EXPECT_EQ(sim.device->openCount(), opens + 1);
    EXPECT_EQ(sim.device->lineParameters().baudRate, 19200);
    EXPECT_EQ(storedFile(), storedSettings("COM3"));
}

TEST_F(PortSetupTest, AChosenSpeedGivesWayTo19200) {
    choose = [](TCustomComPort& port) { port.SetBaudRate(br9600); };
    EXPECT_EQ(pressSetup(), Lines{});
    EXPECT_EQ(sim.port.BaudRate(), br19200);
    EXPECT_EQ(sim.device->lineParameters().baudRate, 19200);
    EXPECT_EQ(storedFile(), storedSettings("COM3"));
}

TEST_F(PortSetupTest, AnotherPortIsOpenedWhileTheStatusKeepsTheSearchedOne) {
    choose = [](TCustomComPort& port) { port.SetPort("COM5"); };
    EXPECT_EQ(pressSetup(), Lines{});
    EXPECT_EQ(sim.device->openPort(), "COM5");
    EXPECT_EQ(view.status, "Работаем на COM3");
    EXPECT_EQ(storedFile(), storedSettings("COM5"));

    // The workflows now talk to COM5, where nothing answers.
    press(&Console::automaticBrightness);
    EXPECT_EQ(sim.device->written().back().port, "COM5");
}

TEST_F(PortSetupTest, AnEmptyNameIsStoredAndCannotBeOpened) {
    choose = [](TCustomComPort& port) { port.SetPort(""); };
    EXPECT_EQ(pressSetup(), Lines{"error:Unable to open com port (win error code: 2)"});
    EXPECT_FALSE(sim.port.Connected());
    EXPECT_EQ(storedFile(), storedSettings(""));
}

// Storing failed, not the settings: the port is opened with them, and the
// report's hint names the file and what is wrong with it.
TEST_F(PortSetupTest, AFailedStoreStillOpensThePortWithTheChosenSettings) {
    std::filesystem::create_directories(registryDirectory());
    const std::string file = test::registryFile(RegistryRoot::LocalMachine);
    const std::string unreadable = "Windows Registry Editor Version 5.00\n[A]\nPort=COM1\n";
    test::writeFile(file, unreadable);
    choose = [](TCustomComPort& port) { port.SetPort("COM5"); };
    std::string hint;
    try {
        console.portSetup();
    } catch (const EComPort& error) {
        EXPECT_STREQ(error.what(), "Failed to store settings");
        hint = portTroubleHint(error, sim.port.Port());
    }
    EXPECT_EQ(hint, "Файл настроек " + file +
                        ", строка 3: непонятная строка значения; файл не перезаписан, исправьте "
                        "или удалите его. Выбранные настройки порта применены, но не сохранены.");
    EXPECT_TRUE(sim.port.Connected());
    EXPECT_EQ(sim.device->openPort(), "COM5");
    EXPECT_EQ(sim.device->lineParameters().baudRate, 19200);
    EXPECT_EQ(storedFile(), unreadable);
}

TEST_F(PortSetupTest, AStoreAndAnOpenThatBothFailAreBothReportedTheStoresFirst) {
    std::filesystem::create_directories(registryDirectory());
    const std::string file = test::registryFile(RegistryRoot::LocalMachine);
    test::writeFile(file, storedSettings("COM3"));
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    sim.device->failOn(test::SimComDevice::Op::LineParameters, EINVAL);
    EXPECT_EQ(pressSetup(), Lines{"error:Failed to store settings\n"
                                  "SetCommState function failed (win error code: 22)"});
}

TEST_F(PortSetupTest, APortListThatCannotBeReadStoresNothing) {
    choose = [](TCustomComPort&) { throw EComPort(EComPort::kRegistryError, ENOENT); };
    EXPECT_EQ(pressSetup(), Lines{"error:Registry error (win error code: 2)"});
    EXPECT_FALSE(sim.port.Connected());
    EXPECT_EQ(storedFile(), "");
}

}  // namespace
}  // namespace stela
