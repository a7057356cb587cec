#include <cerrno>
#include <fstream>

#include "cli/Arguments.h"
#include "tests/cli/CliFixture.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;

class CliCommandTest : public test::CliTest {};

TEST_F(CliCommandTest, BrightnessAndEffectPrintTheConsolesNoticeAndExitByIt) {
    struct Case {
        std::vector<std::string> args;
        bool silent;
        std::string frame, out;
        int status;
    };
    const Case cases[] = {
        {{"brightness", "auto"}, false, "LA", "Установлена автоматическая яркость.\n", 0},
        {{"brightness", "7"}, false, "LM7", "Установлена ручная яркость: 7\n", 0},
        {{"brightness", "0"}, false, "LM0", "Установлена ручная яркость: 0\n", 0},
        {{"effect", "3"}, false, "q3", "Эффекты включены\n", 0},
        {{"effect", "0"}, false, "q0", "Эффекты выключены\n", 0},
        {{"brightness", "auto"}, true, "LA", "Яркость не установлена.\n", 1},
        {{"brightness", "9"}, true, "LM9", "Яркость не установлена.\n", 1},
        {{"effect", "5"}, true, "q5", "Эффекты не включены\n", 1},
    };
    for (const Case& c : cases) {
        SignModel& sign = sim.device->attachSign("COM3");
        if (c.silent) {
            sign.addFault(Fault::silence());
        }
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--port", "COM3"});
        const Result r = run(args);
        EXPECT_EQ(r.status, c.status) << c.frame;
        EXPECT_EQ(r.out, c.out) << c.frame;
        EXPECT_EQ(framesWritten().back(), c.frame);
    }
}

TEST_F(CliCommandTest, SearchPrintsThePortTheSignAnswersOn) {
    sim.device->attachSign("COM3");
    sim.device->attachSign("COM5");
    sim.device->attachSign("COM7");
    Result r = run({"search"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "COM7\n");  // the last that answers, as in the window
    EXPECT_EQ(r.err, "");

    // A list keeps the search to those names; a device path stands for its COM name.
    home.linkCom(5, "/dev/pts/55");
    r = run({"search", "--port", "com3,/dev/pts/55", "-v"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "COM5\n");
    EXPECT_NE(r.err.find("Стела подключена на порт : COM5\n"), std::string::npos) << r.err;
    EXPECT_EQ(sim.port.Port(), "COM5");
    EXPECT_TRUE(sim.port.Connected());
}

TEST_F(CliCommandTest, NoSignFoundIsStatusThreeWithTheSearchsNotice) {
    sim.device->addSilentPort("COM2");
    Result r = run({"read"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "stela-cli: Табло не найдено. Проверьте кабель подключения табло\n");
    EXPECT_EQ(framesWritten(), Lines{"R0E"});

    r = run({"search", "--port", "/dev/ttyNOWHERE"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("/dev/ttyNOWHERE: no COM name stands for it"), std::string::npos);
}

TEST_F(CliCommandTest, PortErrorsAreStatusThreeWithTheSerialLayersMessageAndAHint) {
    Result r = run({"read", "--port", "COM4"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err,
              "stela-cli: COM4 (/dev/ttyS3): Unable to open com port (win error code: 2)\n"
              "Устройства COM4 (/dev/ttyS3) нет: адаптер не подключён или получил другое имя.\n");
    r = run({"read", "--port", "COM200"});  // no device behind the name
    EXPECT_EQ(r.err,
              "stela-cli: COM200: Unable to open com port (win error code: 2)\n"
              "За COM200 не стоит никакое устройство: свяжите его с устройством ссылкой " +
                  home.path() + "/stela/dosdevices/com200.\n");

    sim.device->attachSign("COM3");
    sim.device->failOn(test::SimComDevice::Op::Open, EBUSY, "COM3");
    r = run({"brightness", "auto", "--port", "COM3"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("занят"), std::string::npos) << r.err;  // held by another program
    sim.device->failOn(test::SimComDevice::Op::Open, 0, "COM3");

    // The adapter goes away in the middle of a write.
    sim.device->failOn(test::SimComDevice::Op::Write, EIO);
    r = run({"write", "--port", "COM3", "--row", "1=1.00"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("потеряна"), std::string::npos) << r.err;
}

TEST_F(CliCommandTest, BadArgumentsAreStatusTwoAndReachNoPort) {
    const std::string file = home.path() + "/bad.json";
    std::ofstream(file)
        << R"({"rows": [{"row": 1, "price": "45.67"}, {"row": 2, "price": "100"}]})";
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"reed"},
        {"read", "--colour"},
        {"read", "extra"},
        {"read", "--port"},
        {"read", "--port", "LPT1"},
        {"read", "--port", "COM256"},
        {"read", "--port", "COM1,COM2"},
        {"read", "--format", "xml"},
        {"read", "--row", "1=45.67"},
        {"brightness"},
        {"brightness", "10"},
        {"brightness", "-1"},
        {"effect", "auto"},
        {"effect", "3", "--dry-run"},
        {"write"},
        {"write", "--row", "6=45.67"},
        {"write", "--row", "1=145.67"},
        {"write", "--row", "1=45.678"},
        {"write", "--row", "1=4a.67"},
        {"write", "--row", "1=45,67"},
        {"write", "--row", "1=45.67", "--row", "1=12.00"},
        {"write", "--row", "1=45.67,grade=93"},
        {"write", "--row", "1=45.67,caption1=maybe"},
        {"write", "--row", "1=45.67,colour=red"},
        {"write", "--row", "1=45.67", "--file", file},
        {"write", "--file", file},
        {"write", "--file", home.path() + "/missing.json"},
        {"write", "--row", "1=45.67", "--log", home.path() + "/no/such/dir/log"},
        {"write", "--dry-run=yes", "--row", "1=45.67"},
    };
    sim.device->attachSign("COM3");
    for (const auto& args : cases) {
        std::string line;
        for (const auto& a : args) {
            line += a + " ";
        }
        const Result r = run(args);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_EQ(r.out, "") << line;
        EXPECT_EQ(r.err.rfind("stela-cli: ", 0), 0u) << line;
        EXPECT_NE(r.err.find("\nTry 'stela-cli --help'.\n"), std::string::npos) << line;
    }
    EXPECT_EQ(sim.device->openCount(), 0);
}

TEST_F(CliCommandTest, HelpPrintsTheUsage) {
    for (const char* help : {"--help", "-h", "help"}) {
        const Result r = run({help});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, cli::kUsage);
    }
}

}  // namespace
}  // namespace stela
