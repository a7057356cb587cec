// What a system's own error number comes to on its way up: the failure's kind,
// classified once by the device, and the line the operator is told, chosen by
// that kind alone. Each system's rows run on its own build (Windows under Wine),
// through the device seam: a simulated COM3 failing as the system's call would.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "diagnostics/PortTrouble.h"
#include "serial/EComPort.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/ThisSystem.h"
#include "tests/workflows/ConsoleFixture.h"

namespace stela {
namespace {

using test::System;
constexpr System kSystem = test::kThisSystem;

using Op = test::SimComDevice::Op;
using K = FailureKind;

// {D} stands for the device COM3 leads to, {L} for COM3 as messages name it.
std::string filledIn(const std::string& text, const PortAddress& port) {
    const std::string device = std::regex_replace(text, std::regex("\\{D\\}"), port.deviceOrName());
    return std::regex_replace(device, std::regex("\\{L\\}"), port.label());
}

const std::string kLost =
    "Связь с {D} потеряна: адаптер отключён или устройство пропало. Подключите его и нажмите "
    "«Поиск табло».";
const std::string kNotOpen = "Порт не открыт: нажмите «Поиск табло» или «Настроить COM - порт.».";
const std::string kMissing = "Устройства {L} нет: адаптер не подключён или получил другое имя.";
const std::string kNoAccess =
    "Нет доступа к {D}: доступ должен дать администратор или правило udev.";
const std::string kInUse = "{D} занят другой программой.";  // Windows: no holder sought
const std::string kInUseUnseen =
    "{D} занят другой программой; среди процессов, которые вам видны, её нет.";

class FailureHintTest : public test::ConsoleTest {
protected:
    void SetUp() override {
        if (kSystem == System::Linux) {  // no device of the machine takes part
            home.linkCom(3, home.path() + "/ttyUSB9");
        }
        sim.device->addSilentPort("COM3");
    }
    test::ScopedConfigHome home;
};

TEST_F(FailureHintTest, ASystemsNumberComesToItsKindAndItsHint) {
    const struct {
        System system;
        int native;
        Op op;  // Open: the open fails; Read: a status query on the open port
        FailureKind kind;
        std::string hint;
    } cases[] = {
        {System::Linux, 2 /* ENOENT */, Op::Open, K::Missing, kMissing},
        {System::Linux, 13 /* EACCES */, Op::Open, K::NoAccess, kNoAccess},
        {System::Linux, 1 /* EPERM */, Op::Open, K::NoAccess, kNoAccess},
        {System::Linux, 16 /* EBUSY */, Op::Open, K::InUse, kInUseUnseen},
        {System::Linux, 25 /* ENOTTY */, Op::Open, K::Other, ""},
        {System::Linux, 5 /* EIO */, Op::Read, K::Gone, kLost},
        {System::Linux, 6 /* ENXIO */, Op::Read, K::Gone, kLost},
        {System::Linux, 19 /* ENODEV */, Op::Read, K::Gone, kLost},
        {System::Linux, 9 /* EBADF */, Op::Read, K::NotOpen, kNotOpen},
        {System::Windows, 2 /* ERROR_FILE_NOT_FOUND */, Op::Open, K::Missing, kMissing},
        {System::Windows, 3 /* ERROR_PATH_NOT_FOUND */, Op::Open, K::Missing, kMissing},
        {System::Windows, 5 /* ERROR_ACCESS_DENIED: another program */, Op::Open, K::InUse, kInUse},
        {System::Windows, 32 /* ERROR_SHARING_VIOLATION */, Op::Open, K::InUse, kInUse},
        {System::Windows, 13 /* ERROR_INVALID_DATA */, Op::Open, K::Other, ""},
        {System::Windows, 87 /* ERROR_INVALID_PARAMETER */, Op::Open, K::Unsupported, ""},
        {System::Windows, 6 /* ERROR_INVALID_HANDLE */, Op::Read, K::NotOpen, kNotOpen},
        {System::Windows, 995 /* ERROR_OPERATION_ABORTED */, Op::Read, K::Gone, kLost},
        {System::Windows, 1167 /* ERROR_DEVICE_NOT_CONNECTED */, Op::Read, K::Gone, kLost},
        {System::Windows, 10054 /* WSAECONNRESET */, Op::Read, K::Gone, kLost},
    };
    for (const auto& c : cases) {
        if (c.system != kSystem) {
            continue;
        }
        SCOPED_TRACE(c.native);
        sim.port.Close();
        sim.device->failOn(c.op, c.native, "COM3");
        try {
            sim.port.SetPort("COM3");
            sim.port.Open();
            sim.port.QueuedInputCount();
            ADD_FAILURE() << "no failure";
        } catch (const EComPort& error) {
            EXPECT_EQ(error.Code(), c.op == Op::Open ? 1 : 10);
            EXPECT_EQ(error.SystemCode(), c.native);
            EXPECT_EQ(error.Kind(), c.kind);
            EXPECT_EQ(portTroubleHint(error, sim.port.Address()),
                      filledIn(c.hint, sim.port.Address()));
        }
        sim.device->failOn(c.op, 0, "COM3");
    }
}

}  // namespace
}  // namespace stela
