// The lines that tell an operator why a port could not be used, against real
// pseudo-terminals and processes where Linux is the one who knows.
#include "diagnostics/PortTrouble.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>

#include "posix/PosixComDevice.h"
#include "posix/UucpLock.h"
#include "serial/EComPort.h"
#include "tests/support/ForwardingComDevice.h"
#include "tests/support/ManualDispatcher.h"
#include "tests/support/ProcessCounts.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/ServedSign.h"
#include "tests/workflows/ConsoleFixture.h"
#include "workflows/Notices.h"
#include "workflows/SignPort.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;

const std::string kNotFound = "Табло не найдено. Проверьте кабель подключения табло";

// Runs `body` in a child process and returns what it wrote to the pipe.
template <typename Body>
std::string inChild(Body body) {
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        const std::string out = body();
        (void)!write(pipeFds[1], out.data(), out.size());
        _exit(0);
    }
    close(pipeFds[1]);
    std::string out;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        out.append(buffer, std::size_t(n));
    }
    close(pipeFds[0]);
    waitpid(child, nullptr, 0);
    return out;
}

TEST(PortTrouble, EachReasonHasItsLineAndOthersNone) {
    EXPECT_EQ(portTroubleHint(EComPort(EComPort::kPurgeFailed, EBADF), PortAddress::of("COM1")),
              "Порт не открыт: нажмите «Поиск табло» или «Настроить COM - порт.».");
    for (int error : {EIO, ENXIO, ENODEV}) {
        EXPECT_EQ(portTroubleHint(EComPort(EComPort::kStatusFailed, error),
                                  PortAddress::of("/dev/ttyUSB7")),
                  "Связь с /dev/ttyUSB7 потеряна: адаптер отключён или устройство пропало. "
                  "Подключите его и нажмите «Поиск табло».");
    }
    test::ScopedConfigHome home;
    home.linkCom(40, "/dev/ttyUSB7");
    EXPECT_EQ(portTroubleHint(EComPort(EComPort::kOpenFailed, ENOENT), PortAddress::of("COM40")),
              "Устройства COM40 (/dev/ttyUSB7) нет: адаптер не подключён или получил другое имя.");
    EXPECT_EQ(portTroubleHint(EComPort(EComPort::kOpenFailed, ENOENT), PortAddress::of("COM200")),
              "За COM200 не стоит никакое устройство: свяжите его с устройством ссылкой " +
                  home.path() + "/stela/dosdevices/com200.");
    EXPECT_EQ(portTroubleHint(EComPort(EComPort::kOpenFailed, ENOENT), PortAddress::of("")), "");
    EXPECT_EQ(
        portTroubleHint(EComPort(EComPort::kLineSettingsFailed, EINVAL), PortAddress::of("COM3")),
        "");
    EXPECT_EQ(portTroubleHint(EComPort(EComPort::kStoreFailed), PortAddress::of("COM3")), "");
}

// What a port object that fails to open `device` tells.
std::string openHint(const std::string& device) {
    TComPort port;
    port.SetPort(device);
    try {
        port.Open();
    } catch (const EComPort& error) {
        return portTroubleHint(error, port.Address());
    }
    return "opened";
}

// As nobody, against a pseudo-terminal given the group and mode of each case.
TEST(PortTrouble, NoAccessSuggestsAGroupOnlyWhereJoiningItGivesAccess) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give the device away and open it as another user";
    }
    test::PtyPair pty;
    const std::string device = pty.slavePath();
    const std::string join = " Выполните: sudo usermod -aG ";
    const std::string relog = " $USER, затем выйдите из системы и войдите снова.";
    const std::string admin = "): доступ должен дать администратор или правило udev.";
    const struct {
        const char* group;
        mode_t mode;
        std::string told;
    } cases[] = {
        {"dialout", 0660,
         "Нет доступа к " + device + " (группа dialout)." + join + "dialout" + relog},
        {"uucp", 0660, "Нет доступа к " + device + " (группа uucp)." + join + "uucp" + relog},
        {"tty", 0660, "Нет доступа к " + device + " (группа tty)." + join + "tty" + relog},
        {"tty", 0620,
         "Нет доступа к " + device + " (владелец root, группа tty, права crw--w----" + admin},
        {"dialout", 0600,
         "Нет доступа к " + device + " (владелец root, группа dialout, права crw-------" + admin},
        {"root", 0660,
         "Нет доступа к " + device + " (владелец root, группа root, права crw-rw----" + admin},
    };
    for (const auto& c : cases) {
        const group* entry = getgrnam(c.group);
        if (entry == nullptr) {
            ADD_FAILURE() << "no group " << c.group;
            continue;
        }
        ASSERT_EQ(chown(device.c_str(), 0, entry->gr_gid), 0);
        ASSERT_EQ(chmod(device.c_str(), c.mode), 0);
        const std::string told = inChild([&] {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
                return std::string("could not become nobody");
            }
            return openHint(device);
        });
        EXPECT_EQ(told, c.told);
    }
}

// A child named `name` that holds the device as `how` says (and no descriptor of
// ours but as it says) until it is killed at destruction.
class Holder {
public:
    enum How { Opens, Locks, Nothing, FarEnd, Hidden };  // FarEnd keeps our master too
    Holder(const std::string& name, const std::string& device, How how = Opens) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_NAME, name.c_str());
            if (how != FarEnd) {
                close_range(3, ready[1] - 1, 0);
                close_range(ready[1] + 1, ~0U, 0);
            }
            const int fd = how != Nothing ? open(device.c_str(), O_RDWR | O_NOCTTY) : -1;
            if (how == Locks) {
                flock(fd, LOCK_EX);
            }
            if (how == Hidden) {  // its descriptors are root's alone to see
                prctl(PR_SET_DUMPABLE, 0);
            }
            (void)!write(ready[1], "x", 1);
            pause();
            _exit(0);
        }
        char byte;
        EXPECT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        close(ready[1]);
    }
    ~Holder() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::string pid() const { return std::to_string(pid_); }

private:
    pid_t pid_;
};

// Another program with the device open keeps us out, lock or none; we ourselves,
// the far end of the pseudo-terminal and a process we may not look into do not.
TEST(PortTrouble, AnyOtherProgramThatHasTheDeviceOpenMakesItBusy) {
    test::PtyPair pty;  // this process holds the slave too
    const std::string device = pty.slavePath();
    ASSERT_EQ(chmod(device.c_str(), 0666), 0);
    const bool lockFiles = access(UucpLock::kFolder, W_OK) == 0;
    const std::string lockPath = UucpLock::lockPaths(device).front();
    const std::pair<Holder::How, std::string> cases[] = {
        {Holder::Opens, "занят другой программой; он открыт в other"},
        {Holder::Locks, "занят программой other"},
        {Holder::Nothing, lockFiles ? "занят программой other" : "opened"},
        {Holder::FarEnd, "opened"},
        {Holder::Hidden, "opened"},
    };
    for (const auto& [how, hint] : cases) {
        const Holder other("other", device, how);
        if (how == Holder::Nothing && lockFiles) {
            std::ofstream(lockPath) << "     " << other.pid() << "\n";
        }
        const std::string told = inChild([&] {
            close(pty.masterFd());  // here, only the slave is ours
            if (how == Holder::Hidden && geteuid() == 0 &&
                (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
                return std::string("could not become nobody");
            }
            return openHint(device);
        });
        EXPECT_EQ(told,
                  hint == "opened" ? hint : device + " " + hint + " (pid " + other.pid() + ").")
            << "holder " << how;
        unlink(lockPath.c_str());
    }
}

// Who holds the port is named before who merely has it open (such as the far
// end's server keeping the line up), even when that one comes first in /proc.
TEST(PortTrouble, TheInUseHintNamesTheHolderOfTheFlockThenOfTheLockFile) {
    test::PtyPair pty;
    const std::string device = pty.slavePath();
    const Holder server("sign-server", device);
    {
        const Holder script("script", device, Holder::Locks);
        EXPECT_EQ(openHint(device),
                  device + " занят программой script (pid " + script.pid() + ").");
    }
    EXPECT_EQ(openTroubleHint(PortAddress::of(device), FailureKind::InUse),
              device + " занят другой программой; он открыт в " + "sign-server (pid " +
                  server.pid() + ").");

    if (access(UucpLock::kFolder, W_OK) != 0) {
        GTEST_SKIP() << UucpLock::kFolder << " is not writable here";
    }
    const std::string lockPath = UucpLock::lockPaths(device).front();
    {
        const Holder terminal("terminal", device, Holder::Nothing);
        std::ofstream(lockPath) << "     " << terminal.pid() << "\n";
        EXPECT_EQ(openHint(device),
                  device + " занят программой terminal (pid " + terminal.pid() + ").");
    }
    std::ofstream(lockPath) << "garbage";
    EXPECT_EQ(openHint(device), device + " помечен занятым файлом " + lockPath +
                                    ", в котором нет номера процесса; удалите этот файл, если "
                                    "порт никто не использует.");
    unlink(lockPath.c_str());
}

class SearchTroubleTest : public test::ConsoleTest {
protected:
    test::ScopedConfigHome home;
};

TEST_F(SearchTroubleTest, AFailedSearchTellsOfPortsWithoutAccessOrInUse) {
    const std::string device = home.path() + "/ttyUSB0";
    home.linkCom(2, device);
    home.linkCom(4, home.path() + "/ttyUSB1");
    for (int n : {2, 4, 6}) {
        sim.device->addSilentPort("COM" + std::to_string(n));
    }
    sim.device->failOn(test::SimComDevice::Op::Open, EACCES, "COM2");
    sim.device->failOn(test::SimComDevice::Op::Open, EBUSY, "COM4");
    sim.device->failOn(test::SimComDevice::Op::Open, EACCES, "COM6");  // only the first is told
    EXPECT_EQ(searchNotice(console.boardSearch()),
              kNotFound + "\nНет доступа к " + device +
                  ": доступ должен дать администратор или правило udev.\n" + home.path() +
                  "/ttyUSB1 занят другой программой.");

    sim.device->attachSign("COM9");  // a search that finds the sign says nothing more
    EXPECT_EQ(searchNotice(console.boardSearch()), "Стела подключена на порт : COM9");
}

// In real time: the adapter is pulled while the port is open, its link going
// with it; the error names the device that was open, and a search after
// plugging it in again finds the sign.
TEST(PortTroubleRealTime, AVanishedAdapterIsToldAndFoundAgainAfterReplugging) {
    test::ScopedConfigHome home;
    for (int n = 1; n <= 255; ++n) {
        home.linkCom(n, home.path() + "/missing");  // no device of the machine takes part
    }
    auto sign = std::make_unique<test::ServedSign>();
    sign->start();
    home.linkCom(3, sign->devicePath());
    test::RecordingObserver observer;
    SteadyClock clock;
    TComPort port;
    loadSignPortSettings(port);
    Console console(observer, port, clock);
    ASSERT_EQ(console.boardSearch().port, "COM3");

    const std::string device = sign->devicePath();
    sign.reset();  // pulled
    unlink((home.path() + "/stela/dosdevices/com3").c_str());
    std::string told;
    try {
        console.readPrices();
    } catch (const EComPort& error) {
        told = portTroubleHint(error, port.Address());
    }
    EXPECT_EQ(told, "Связь с " + device +
                        " потеряна: адаптер отключён или устройство пропало. Подключите его и "
                        "нажмите «Поиск табло».");

    sign = std::make_unique<test::ServedSign>();
    sign->start();
    home.linkCom(3, sign->devicePath());
    EXPECT_EQ(console.boardSearch().port, "COM3");
    EXPECT_TRUE(port.Connected());
}

// Descriptors of this process open on `path` (a vanished one reads "... (deleted)").
int descriptorsOn(const std::string& path) {
    int count = 0;
    for (int fd = 0; fd < 1024; ++fd) {
        char target[256];
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        count += n > 0 && std::string(target, std::size_t(n)).rfind(path, 0) == 0;
    }
    return count;
}

// The Linux device whose far end (the served sign's pseudo-terminal) goes away
// just before the port first writes a frame that starts with `pullAt` (its
// command and address characters), as an adapter pulled at that moment would.
// A frame rather than a count of writes: a reply late on a loaded machine makes
// the workflow send a frame again.
class PulledDevice final : public test::ForwardingComDevice {
public:
    PulledDevice(std::unique_ptr<test::ServedSign>& sign, std::string pullAt)
        : sign_(sign), pullAt_(std::move(pullAt)) {}

    PortFailure write(const char* data, int size, int& sent) override {
        if (sign_ && std::string_view(data, std::size_t(size)).substr(0, 2) == pullAt_) {
            sign_.reset();
        }
        return real_.write(data, size, sent);
    }

private:
    ComDevice& target() override { return real_; }
    PosixComDevice real_;
    std::unique_ptr<test::ServedSign>& sign_;
    std::string pullAt_;
};

// A write the port is lost in ends with the serial error and, in the log, what
// the sign now holds; the monitor's thread and the device's descriptors are
// gone with the line. Rows go 5 to 1; row 3's halves are addresses 2 and 10
// ("W2", "W:").
TEST(PortTroubleRealTime, AWriteCutShortByALostPortTellsWhatTheSignHolds) {
    const std::string told =
        "Связь с %1 потеряна: адаптер отключён или устройство пропало. "
        "Подключите его и нажмите «Поиск табло».";
    const struct {
        const char* moment;
        const char* pullAt;
        Lines said;
    } cases[] = {
        {"between rows",
         "W2",
         {"--- Связь потеряна: запись прервана ---", "Записаны и подтверждены строки: 5, 4.",
          "Строка 3 может показывать две разные цены: первая половина отправлена без "
          "подтверждения, вторая не отправлена.",
          "Не записаны строки: 2, 1 (на табло прежние цены).",
          "Запишите цены снова, когда связь восстановится."}},
        {"between the halves of a row",
         "W:",
         {"--- Связь потеряна: запись прервана ---", "Записаны и подтверждены строки: 5, 4.",
          "Строка 3 может показывать две разные цены: первая половина подтверждена, вторая "
          "отправлена без подтверждения.",
          "Не записаны строки: 2, 1 (на табло прежние цены).",
          "Запишите цены снова, когда связь восстановится."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.moment);
        const int threads = test::threadCount();
        auto sign = std::make_unique<test::ServedSign>();
        sign->start();
        const std::string device = sign->devicePath();
        test::RecordingObserver observer;
        SteadyClock clock;
        TComPort port(std::make_unique<PulledDevice>(sign, c.pullAt));
        loadSignPortSettings(port);
        // As in the window: the line-event monitor runs, and its deliveries run
        // at the workflow's progress steps and while the window is idle.
        auto dispatcher = std::make_shared<test::ManualDispatcher>();
        port.SetEventDispatcher(dispatcher);
        observer.onStopNow = [&] {
            dispatcher->runPending();
            return false;
        };
        port.SetPort(device);
        port.Open();
        Console console(observer, port, clock);
        std::string hint;
        try {
            console.writePrices([](int) {
                return PriceRowInputs{"  .  ", false, 0, false, false};
            });
        } catch (const EComPort& error) {
            EXPECT_EQ(error.SystemCode(), EIO);
            hint = portTroubleHint(error, port.Address());
        }
        std::string expected = told;
        expected.replace(expected.find("%1"), 2, device);
        EXPECT_EQ(hint, expected);
        const Lines& log = observer.log;
        EXPECT_EQ(Lines(log.end() - long(c.said.size()), log.end()), c.said);
        EXPECT_EQ(console.lastWrite().lossLines(), Lines(c.said.begin() + 1, c.said.end()));
        for (int idle = 0; idle < 100 && test::threadCount() > threads; ++idle) {
            dispatcher->runPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(test::threadCount(), threads) << "the monitor ends with the line";
        EXPECT_EQ(descriptorsOn(device), 0) << "a re-plugged adapter gets its name back";
        EXPECT_TRUE(port.Connected()) << "the port stays open until it is closed";
    }
}

}  // namespace
}  // namespace stela
