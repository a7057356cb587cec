// The lines that tell an operator why a port could not be used, against real
// pseudo-terminals and processes where Linux is the one who knows.
#include "console/PortTrouble.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "console/DeviceOwners.h"
#include "console/SignPort.h"
#include "serial/EComPort.h"
#include "serial/posix/PosixComDevice.h"
#include "tests/console/ConsoleFixture.h"
#include "tests/support/ManualDispatcher.h"
#include "tests/support/ProcessCounts.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/ServedSign.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;

const std::string kNotFound = "Табло не найдено. Проверьте кабель подключения табло";

std::string noAccessLine(const std::string& device) {
    const std::string group = deviceGroup(device);
    return "Нет доступа к " + device + " (группа " + group + "). Выполните: sudo usermod -aG " +
           (group == "root" ? "dialout" : group) +
           " $USER, затем выйдите из системы и войдите снова.";
}

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
    EXPECT_EQ(portTroubleHint(EComPort(EComPort::kPurgeFailed, EBADF), "COM1"),
              "Порт не открыт: нажмите «Поиск табло» или «Настроить COM - порт.».");
    for (int error : {EIO, ENXIO, ENODEV}) {
        EXPECT_EQ(portTroubleHint(EComPort(EComPort::kStatusFailed, error), "/dev/ttyUSB7"),
                  "Связь с /dev/ttyUSB7 потеряна: адаптер отключён или устройство пропало. "
                  "Подключите его и нажмите «Поиск табло».");
    }
    EXPECT_EQ(portTroubleHint(EComPort(EComPort::kOpenFailed, ENOENT), "COM3"), "");
    EXPECT_EQ(portTroubleHint(EComPort(EComPort::kLineSettingsFailed, EINVAL), "COM3"), "");
    EXPECT_EQ(portTroubleHint(EComPort(EComPort::kStoreFailed), "COM3"), "");
}

TEST(PortTrouble, APortTheUserMayNotOpenNamesTheDeviceItsGroupAndTheFix) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to open the port as another user";
    }
    test::PtyPair pty;
    const std::string told = inChild([&] {
        if (setgid(65534) != 0 || setuid(65534) != 0) {
            return std::string("could not become nobody");
        }
        TComPort port;
        port.SetPort(pty.slavePath());
        try {
            port.Open();
        } catch (const EComPort& error) {
            return portTroubleHint(error, port.Port());
        }
        return std::string("opened");
    });
    EXPECT_EQ(told, noAccessLine(pty.slavePath()));
}

TEST(PortTrouble, APortHeldByAnotherProgramNamesIt) {
    test::PtyPair pty;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
        flock(fd, LOCK_EX);
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    std::string command;
    std::getline(std::ifstream("/proc/" + std::to_string(holder) + "/comm"), command);

    TComPort port;
    port.SetPort(pty.slavePath());
    std::string told;
    try {
        port.Open();
    } catch (const EComPort& error) {
        told = portTroubleHint(error, port.Port());
    }
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(told, pty.slavePath() + " занят программой " + command + " (pid " +
                        std::to_string(holder) + ").");
}

class SearchTroubleTest : public test::ConsoleTest {
protected:
    test::ScopedConfigHome home;
};

TEST_F(SearchTroubleTest, AFailedSearchTellsOfPortsWithoutAccessOrInUse) {
    const std::string device = home.path() + "/ttyUSB0";
    std::ofstream(device).put('x');
    home.linkCom(2, device);
    home.linkCom(4, home.path() + "/ttyUSB1");
    for (int n : {2, 4, 6}) {
        sim.device->addSilentPort("COM" + std::to_string(n));
    }
    sim.device->failOn(test::SimComDevice::Op::Open, EACCES, "COM2");
    sim.device->failOn(test::SimComDevice::Op::Open, EBUSY, "COM4");
    sim.device->failOn(test::SimComDevice::Op::Open, EACCES, "COM6");  // only the first is told
    press(&Console::boardSearch);
    EXPECT_EQ(view.notices(), Lines{kNotFound + "\n" + noAccessLine(device) + "\n" + home.path() +
                                    "/ttyUSB1 занят другой программой."});

    sim.device->attachSign("COM9");  // a search that finds the sign says nothing more
    press(&Console::boardSearch);
    EXPECT_EQ(view.notices().back(), "Стела подключена на порт : COM9");
}

// In real time: the adapter is pulled while the port is open; the error says so,
// and a search after plugging it in again finds the sign.
TEST(PortTroubleRealTime, AVanishedAdapterIsToldAndFoundAgainAfterReplugging) {
    test::ScopedConfigHome home;
    for (int n = 1; n <= 255; ++n) {
        home.linkCom(n, home.path() + "/missing");  // no device of the machine takes part
    }
    auto sign = std::make_unique<test::ServedSign>();
    sign->start();
    home.linkCom(3, sign->devicePath());
    test::RecordingView view;
    SteadyClock clock;
    TComPort port;
    loadSignPortSettings(port);
    Console console(view, port, clock);
    console.boardSearch();
    ASSERT_EQ(view.notices(), Lines{"Стела подключена на порт : COM3"});

    const std::string device = sign->devicePath();
    sign.reset();  // pulled
    std::string told;
    try {
        console.readPrices();
    } catch (const EComPort& error) {
        told = portTroubleHint(error, port.Port());
    }
    EXPECT_EQ(told, "Связь с " + device +
                        " потеряна: адаптер отключён или устройство пропало. Подключите его и "
                        "нажмите «Поиск табло».");

    sign = std::make_unique<test::ServedSign>();
    sign->start();
    home.linkCom(3, sign->devicePath());
    console.boardSearch();
    EXPECT_EQ(view.notices().back(), "Стела подключена на порт : COM3");
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
// just before the port's write number `pullAt` (from 1), as an adapter pulled at
// that moment would.
class PulledDevice final : public ComDevice {
public:
    PulledDevice(std::unique_ptr<test::ServedSign>& sign, int pullAt)
        : sign_(sign), pullAt_(pullAt) {}

    int open(const std::string& port) override { return real_.open(port); }
    void close() override { real_.close(); }
    bool isOpen() const override { return real_.isOpen(); }
    int setQueueSizes(int in, int out) override { return real_.setQueueSizes(in, out); }
    int setLineParameters(const LineParameters& l) override { return real_.setLineParameters(l); }
    int setTimeouts(const TimeoutValues& t) override { return real_.setTimeouts(t); }
    int purge(bool in, bool out) override { return real_.purge(in, out); }
    int abortTransfers() override { return real_.abortTransfers(); }
    int read(char* b, int n, int& got) override { return real_.read(b, n, got); }
    int write(const char* data, int size, int& sent) override {
        if (++writes_ == pullAt_) {
            sign_.reset();
        }
        return real_.write(data, size, sent);
    }
    int modemLines(TComSignals& lines) override { return real_.modemLines(lines); }
    int lineErrors(TComErrors& errors) override { return real_.lineErrors(errors); }
    int watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) override {
        return real_.watchEvents(mask, watch);
    }

private:
    PosixComDevice real_;
    std::unique_ptr<test::ServedSign>& sign_;
    int pullAt_;
    int writes_ = 0;
};

// A write the port is lost in ends with the serial error and, in the log, what
// the sign now holds; the monitor's thread and the device's descriptors are
// gone with the line. Each confirmed half takes two writes (the frame, then its
// copy in the confirmation).
TEST(PortTroubleRealTime, AWriteCutShortByALostPortTellsWhatTheSignHolds) {
    const std::string told =
        "Связь с %1 потеряна: адаптер отключён или устройство пропало. "
        "Подключите его и нажмите «Поиск табло».";
    const struct {
        const char* moment;
        int pullAt;
        Lines said;
    } cases[] = {
        {"between rows",
         9,
         {"--- Связь потеряна: запись прервана ---", "Записаны и подтверждены строки: 5, 4.",
          "Строка 3 может показывать две разные цены: первая половина отправлена без "
          "подтверждения, вторая не отправлена.",
          "Не записаны строки: 2, 1 (на табло прежние цены).",
          "Запишите цены снова, когда связь восстановится."}},
        {"between the halves of a row",
         11,
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
        test::RecordingView view;
        SteadyClock clock;
        TComPort port(std::make_unique<PulledDevice>(sign, c.pullAt));
        loadSignPortSettings(port);
        // As in the window: the line-event monitor runs, and its deliveries run
        // at the workflow's progress steps and while the window is idle.
        auto dispatcher = std::make_shared<test::ManualDispatcher>();
        port.SetEventDispatcher(dispatcher);
        view.onProcessEvents = [&] { dispatcher->runPending(); };
        port.SetPort(device);
        port.Open();
        Console console(view, port, clock);
        const std::size_t logged = view.log.size();
        std::string hint;
        try {
            console.writePrices();
        } catch (const EComPort& error) {
            EXPECT_EQ(error.SystemCode(), EIO);
            hint = portTroubleHint(error, port.Port());
        }
        std::string expected = told;
        expected.replace(expected.find("%1"), 2, device);
        EXPECT_EQ(hint, expected);
        const Lines log = view.logSince(logged);
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
