#include <cerrno>
#include <filesystem>
#include <functional>

#include "diagnostics/PortTrouble.h"
#include "serial/EComPort.h"
#include "tests/store/RegistryFiles.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/workflows/ConsoleFixture.h"

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
        console.boardSearch();  // finds COM3 and leaves it open
        observer.log.clear();
    }

    // Presses "Настроить COM - порт.": what the store and the open said, as
    // "stored"/"opened" or the error's message. The setup logs nothing.
    Lines pressSetup() {
        SetupOutcome setup;
        press([&] { setup = console.portSetup(); });
        EXPECT_EQ(observer.log, Lines{});
        return {setup.storeError ? setup.storeError->what() : "stored",
                setup.openError ? setup.openError->what() : "opened"};
    }

    test::ScopedConfigHome home;
    std::function<void(TCustomComPort&)> choose;
    std::vector<bool> openDuringDialog;
};

TEST_F(PortSetupTest, CancelStillStoresTheSettingsAndReopensAt19200) {
    const int opens = sim.device->openCount();
    EXPECT_EQ(pressSetup(), (Lines{"stored", "opened"}));
    EXPECT_EQ(openDuringDialog, std::vector<bool>{false});
    EXPECT_EQ(sim.device->openPort(), "COM3");
    EXPECT_EQ(sim.device->openCount(), opens + 1);
    EXPECT_EQ(sim.device->lineParameters().baudRate, 19200);
    EXPECT_EQ(storedFile(), storedSettings("COM3"));
}

TEST_F(PortSetupTest, AChosenSpeedGivesWayTo19200) {
    choose = [](TCustomComPort& port) { port.SetBaudRate(br9600); };
    EXPECT_EQ(pressSetup(), (Lines{"stored", "opened"}));
    EXPECT_EQ(sim.port.BaudRate(), br19200);
    EXPECT_EQ(sim.device->lineParameters().baudRate, 19200);
    EXPECT_EQ(storedFile(), storedSettings("COM3"));
}

TEST_F(PortSetupTest, AnotherPortIsOpenedAndStored) {
    choose = [](TCustomComPort& port) { port.SetPort("COM5"); };
    EXPECT_EQ(pressSetup(), (Lines{"stored", "opened"}));
    EXPECT_EQ(sim.device->openPort(), "COM5");
    EXPECT_EQ(storedFile(), storedSettings("COM5"));

    // The workflows now talk to COM5, where nothing answers.
    console.automaticBrightness();
    EXPECT_EQ(sim.device->written().back().port, "COM5");
}

TEST_F(PortSetupTest, AnEmptyNameIsStoredAndCannotBeOpened) {
    choose = [](TCustomComPort& port) { port.SetPort(""); };
    EXPECT_EQ(pressSetup(), (Lines{"stored", "Unable to open com port (win error code: 2)"}));
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
    const SetupOutcome setup = console.portSetup();
    ASSERT_TRUE(setup.storeError);
    EXPECT_FALSE(setup.openError);
    EXPECT_STREQ(setup.storeError->what(), "Failed to store settings");
    EXPECT_EQ(portTroubleHint(*setup.storeError, sim.port.Address()),
              "Файл настроек " + file +
                  ", строка 3: непонятная строка значения; файл не перезаписан, исправьте "
                  "или удалите его. Выбранные настройки порта применены, но не сохранены.");
    EXPECT_TRUE(sim.port.Connected());
    EXPECT_EQ(sim.device->openPort(), "COM5");
    EXPECT_EQ(sim.device->lineParameters().baudRate, 19200);
    EXPECT_EQ(storedFile(), unreadable);
}

TEST_F(PortSetupTest, AStoreAndAnOpenThatBothFailAreBothInTheOutcome) {
    std::filesystem::create_directories(registryDirectory());
    const std::string file = test::registryFile(RegistryRoot::LocalMachine);
    test::writeFile(file, storedSettings("COM3"));
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    sim.device->failOn(test::SimComDevice::Op::LineParameters, EINVAL);
    EXPECT_EQ(pressSetup(), (Lines{"Failed to store settings",
                                   "SetCommState function failed (win error code: 22)"}));
}

TEST_F(PortSetupTest, APortListThatCannotBeReadStoresNothing) {
    choose = [](TCustomComPort&) { throw EComPort(EComPort::kRegistryError, ENOENT); };
    EXPECT_FALSE(press([this] { console.portSetup(); }));
    EXPECT_EQ(errors, Lines{"Registry error (win error code: 2)"});
    EXPECT_FALSE(sim.port.Connected());
    EXPECT_EQ(storedFile(), "");
}

}  // namespace
}  // namespace stela
