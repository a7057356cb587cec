#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cli/Arguments.h"
#include "cli/PlatformTexts.h"
#include "protocol/Frames.h"
#include "stela/Version.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/TestLanguage.h"
#include "workflows/Journal.h"

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
        {{"brightness", "auto"}, false, "LA", "Automatic brightness set.\n", 0},
        {{"brightness", "7"}, false, "LM7", "Manual brightness set: 7\n", 0},
        {{"brightness", "0"}, false, "LM0", "Manual brightness set: 0\n", 0},
        {{"effect", "3"}, false, "q3", "Effects on\n", 0},
        {{"effect", "0"}, false, "q0", "Effects off\n", 0},
        {{"brightness", "auto"}, true, "LA", "Brightness not set.\n", 1},
        {{"brightness", "9"}, true, "LM9", "Brightness not set.\n", 1},
        {{"effect", "5"}, true, "q5", "Effects not switched on\n", 1},
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
    EXPECT_NE(r.err.find("Sign connected on port: COM5\n"), std::string::npos) << r.err;
    EXPECT_EQ(sim.port.Port(), "COM5");
    EXPECT_TRUE(sim.port.Connected());
}

// The journal keeps a search's first line under a port it was asked to search:
// the first candidate, or the port given when no COM name stands for it.
TEST_F(CliCommandTest, ASearchOfAListIsJournalledUnderAPortOfTheList) {
    const std::pair<std::string, std::string> cases[] = {{"COM12,COM8", "COM8"},
                                                         {"/dev/ttyNOWHERE", "/dev/ttyNOWHERE"}};
    for (const auto& [ports, journalled] : cases) {
        const std::string directory = home.path() + "/journal" + journalled.substr(0, 4);
        Journal kept(directory, "stela-cli", [this] { return sim.port.Port(); });
        journal = &kept;
        EXPECT_EQ(run({"search", "--port", ports}).status, 3);
        std::ifstream file(std::filesystem::directory_iterator(directory)->path());
        std::string date, time, port;
        file >> date >> time >> port;
        EXPECT_EQ(port, journalled) << ports;
    }
    journal = nullptr;
}

TEST_F(CliCommandTest, NoSignFoundIsStatusThreeWithTheSearchsNotice) {
    sim.device->addSilentPort("COM2");
    Result r = run({"read"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "stela-cli: Sign not found. Check the sign's cable\n");
    EXPECT_EQ(framesWritten(), Lines{"R0E"});

    r = run({"search", "--port", "/dev/ttyNOWHERE"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("/dev/ttyNOWHERE: no COM name stands for it"), std::string::npos);
}

TEST_F(CliCommandTest, PortErrorsAreStatusThreeWithTheSerialLayersMessageAndAHint) {
    Result r = run({"read", "--port", "COM4"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err,
              "stela-cli: COM4 (/dev/ttyS3): Unable to open com port (ENOENT, No such file or "
              "directory)\n"
              "There is no device COM4 (/dev/ttyS3): the adapter is not plugged in, or it got "
              "another name.\n");
    r = run({"read", "--port", "COM200"});  // no device behind the name
    EXPECT_EQ(r.err,
              "stela-cli: COM200: Unable to open com port (ENOENT, No such file or directory)\n"
              "No device stands behind COM200: link it to one with " +
                  home.path() + "/stela/dosdevices/com200.\n");

    sim.device->attachSign("COM3");
    sim.device->failOn(test::SimComDevice::Op::Open, EBUSY, "COM3");
    r = run({"brightness", "auto", "--port", "COM3"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("is in use by"), std::string::npos) << r.err;  // held by another program
    sim.device->failOn(test::SimComDevice::Op::Open, 0, "COM3");

    // The adapter goes away in the middle of a write.
    sim.device->failOn(test::SimComDevice::Op::Write, EIO);
    r = run({"write", "--port", "COM3", "--row", "1=1.00"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("\nThe connection to /dev/ttyS2 is lost: the adapter was unplugged or the "
                         "device went away. Plug it in again and run `stela-cli search`.\n"),
              std::string::npos)
        << r.err;

    // A server that refuses the line settings.
    const std::string url = "rfc2217://10.1.2.3:4001";
    sim.device->attachSign(url);
    sim.device->failOn(test::SimComDevice::Op::LineParameters, EINVAL, url);
    EXPECT_NE(run({"read", "--port", url}).err.find("\n" + url + " refused the line settings"),
              std::string::npos);
    sim.device->failOn(test::SimComDevice::Op::Open, ownFailure(FailureKind::HostNotFound), url);
    r = run({"read", "--port", url});
    EXPECT_EQ(
        r.err.find(url + ": Unable to open com port (EAI_NONAME, Name or service not known)\n"),
        11u);
    // No line of stderr is made up by a name.
    r = run({"read", "--port", "/dev/x\nstela-cli: forged\x1B[2J"});
    EXPECT_EQ(r.err.find_first_of("\x1B"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("\nstela-cli"), std::string::npos) << r.err;
}

TEST_F(CliCommandTest, BadArgumentsAreStatusTwoAndReachNoPort) {
    const std::string file = home.path() + "/bad.json";
    std::ofstream(file)
        << R"({"rows": [{"row": 1, "price": "45.67"}, {"row": 2, "price": "100"}]})";
    const std::string empty = home.path() + "/empty.json";
    std::ofstream(empty) << R"({"rows": []})";
    // What each says, where getopt_long's reasons and ours are told apart.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command given (search, read, write, check, brightness, effect or ports)"},
        {{"reed"}, "unknown command \"reed\""},
        {{"read", "--colour"}, "unknown option '--colour'"},
        {{"read", "-x"}, "unknown option '-x'"},
        {{"read", "--ver"}, "option '--ver' is ambiguous: --verbose, --version"},
        {{"read", "--port"}, "option '--port' needs a value"},
        {{"read", "-p"}, "option '-p' needs a value"},
        {{"write", "--dry-run=yes", "--row", "1=45.67"}, "option '--dry-run' takes no value"},
        {{"read", "extra"}, "unexpected \"extra\""},
        {{"read", "--port", "LPT1"},
         "--port: \"LPT1\" is neither COM1..COM255, a device path nor a network port"},
        {{"read", "--port", "COM256"}, ""},
        {{"read", "--port", "tcp://127.1:4001"},
         "--port: \"tcp://127.1:4001\" is no network port: tcp://HOST:PORT or rfc2217://"},
        {{"search", "--port", "COM3,rfc2217://[::1]"}, ""},
        {{"read", "--port", "COM1,COM2"}, "--port: one port only (a list is for search)"},
        {{"read", "--format", "xml"}, "--format: \"xml\" is not text, json, csv or excel"},
        {{"read", "--format", "json", "--format", "csv"}, "--format is given twice"},
        {{"read", "--row", "1=45.67"}, "--row is only for write"},
        {{"read", "-t", "5"}, "--timeout is only for check"},
        {{"search", "--format", "json"}, "--format is only for read, write, check and ports"},
        {{"ports", "--format", "csv"}, "--format: ports prints text or json"},
        {{"ports", "--port", "COM3"},
         "--port is only for search, read, write, check, brightness and effect"},
        {{"brightness"}, "brightness needs one level"},
        {{"brightness", "10"}, "brightness: \"10\" is no level (0 to 9)"},
        {{"brightness", "-1"}, "unknown option '-1'"},
        {{"brightness", "--", "-1"}, "brightness: \"-1\" is no level (0 to 9)"},
        {{"effect", "auto"}, ""},
        {{"effect", "3", "--dry-run"}, "--dry-run is only for write"},
        {{"write"}, "write: no rows given (--row N=PRICE or --file FILE)"},
        {{"write", "--row", "6=45.67"}, ""},
        {{"write", "--row", "1=145.67"}, ""},
        {{"write", "--row", "1=45.678"}, ""},
        {{"write", "--row", "1=4a.67"}, ""},
        {{"write", "--row", "1=45,678"}, ""},
        {{"write", "--file", file, "--encoding", "NO-SUCH"},
         "--encoding: \"NO-SUCH\" is no charset known here (iconv -l lists them)"},
        {{"write", "--row", "1=45.67", "--encoding", "CP1251"}, "--encoding is only for --file"},
        {{"write", "--row", "1=45.67", "--row", "1=12.00"}, "--row 1 is given twice"},
        {{"write", "--row", "1=45.67,grade=93"}, ""},
        {{"write", "--row", "1=45.67,caption1=maybe"}, ""},
        {{"write", "--row", "1=45.67,colour=red"}, ""},
        {{"write", "--row", "1=45.67", "--file", file}, "write takes --row or --file, not both"},
        {{"write", "--file", file},
         "--file " + file +
             ": JSON, row 2, price: \"100\" does not fit 99.99 (give 0.00 to "
             "99.99, or unused)"},
        {{"write", "--file", empty}, "--file " + empty + ": no rows in it"},
        {{"write", "--file", home.path() + "/missing.json"},
         "--file " + home.path() + "/missing.json: No such file or directory"},
        {{"write", "--row", "1=45.67", "--log", home.path() + "/no/such/dir/log"}, ""},
        // Bytes that are no UTF-8 are shown escaped, never raw.
        {{"write", "--row", "1=4\xFF"},
         "--row 1 price: \"4\\xFF\" does not fit 99.99 (give 0.00 to 99.99, or unused)"},
        {{"\xC3\x28"}, "unknown command \"\\xC3(\""},
    };
    sim.device->attachSign("COM3");
    for (const auto& [args, message] : cases) {
        std::string line;
        for (const auto& a : args) {
            line += a + " ";
        }
        const Result r = run(args);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_EQ(r.out, "") << line;
        EXPECT_EQ(r.err.rfind("stela-cli: " + message, 0), 0u) << line << r.err;
        EXPECT_NE(r.err.find("\nTry 'stela-cli --help'.\n"), std::string::npos) << line;
    }
    EXPECT_EQ(sim.device->openCount(), 0);
}

TEST_F(CliCommandTest, HelpAndVersionPrintAndEndTheRun) {
    for (const char* help : {"--help", "-h", "help", "--he"}) {
        const Result r = run({help});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, cli::usageText());
        EXPECT_EQ(r.out.rfind("Usage: stela-cli COMMAND [OPTION]...\n", 0), 0u);
    }
    const Result r = run({"read", "--version", "--port", "COM3"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "stela-cli " + std::string(kVersion) + "\n");
    EXPECT_EQ(sim.device->openCount(), 0);
}

// A console opened for stela-cli alone (a double-click) shows the help until
// a key; a command given, or a console of a shell, is never held.
TEST_F(CliCommandTest, AConsoleOfItsOwnShowsTheHelpUntilAKey) {
    int held = 0;
    holdOwnConsole = [&held](std::ostream& out) { out << "[held " << ++held << "]"; };
    Result r = run({});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, cli::usageText() + "[held 1]");
    EXPECT_EQ(run({"--version"}).status, 0);
    holdOwnConsole = nullptr;
    r = run({});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(held, 1);
}

// check's own help and options: its help alone, the version, a refused value
// as a plugin's UNKNOWN (status 3, on stdout), and options check alone takes.
TEST_F(CliCommandTest, CheckHasItsOwnHelpAndOptions) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"check", "--help"}, {"check", "-h", "--row", "1=1"}, {"help", "check"}}) {
        EXPECT_EQ(run(args).out, cli::checkUsageText()) << args[1];
    }
    EXPECT_EQ(cli::checkUsageText().rfind("Usage: stela-cli check ", 0), 0u);
    EXPECT_EQ(run({"check", "-V"}).out, "stela-cli " + std::string(kVersion) + "\n");
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"-t", "0"}, "--timeout: \"0\" is no time limit (1 to 3600 seconds)"},
        {{"-w", "5:1"},
         "--warning: \"5:1\" is no threshold (seconds: 10, 5:, ~:10, 5:10 or @5:10)"},
        {{"--station", "017"}, "--station is only for check --format prometheus"},
    };
    for (const auto& [options, why] : refused) {
        std::vector<std::string> args{"check", "--port", "COM3", "--row", "1=45.67"};
        args.insert(args.end(), options.begin(), options.end());
        const Result r = run(args);
        EXPECT_EQ(r.status, 3) << why;
        EXPECT_EQ(r.out, "STELA UNKNOWN - " + why + "\n");
    }
    EXPECT_EQ(sim.device->openCount(), 0);
}

// Thresholds as monitoring plugins take them: where each alerts.
TEST(CheckThreshold, AlertsOutsideItsRangeOrInsideWithAt) {
    const std::pair<const char*, std::vector<std::pair<double, bool>>> cases[] = {
        {"10", {{-0.1, true}, {0, false}, {10, false}, {10.01, true}}},
        {"5:", {{4.9, true}, {5, false}, {1e9, false}}},
        {"~:10", {{-1e9, false}, {10, false}, {10.5, true}}},
        {"1.5:2.5", {{1.4, true}, {1.5, false}, {2.5, false}, {2.6, true}}},
        {"@1:2", {{0.9, false}, {1, true}, {2, true}, {2.1, false}}},
    };
    for (const auto& [text, values] : cases) {
        const cli::Threshold threshold = cli::parseThreshold(text, "-w");
        EXPECT_EQ(threshold.text, text);
        for (const auto& [value, alerts] : values) {
            EXPECT_EQ(threshold.alerts(value), alerts) << text << " at " << value;
        }
    }
}

TEST_F(CliCommandTest, OptionsAreTakenTheUsualWay) {
    sim.device->attachSign("COM3");
    // Grouped short options, an option after the command, a value glued on.
    Result r = run({"-nv", "write", "-pCOM3", "--row=1=12.34,grade=95,caption1=no,caption2=no"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("W4123430E" + frameChecksum("W4123430E") + "\n"), std::string::npos);
    EXPECT_NE(r.err.find("--- "), std::string::npos);  // -v: the operation log of the read
    // Abbreviated long options, and "--" before the operands.
    r = run({"brightness", "--po", "COM3", "--verb", "--", "5"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(framesWritten().back(), "LM5");
}

TEST_F(CliCommandTest, ARunSpeaksOneLanguage) {
    sim.device->attachSign("COM3");
    struct Case {
        std::vector<std::pair<const char*, const char*>> variables;
        std::string notice, help, tryHelp;
    };
    const std::string english = "Automatic brightness set.\n";
    const std::string russian = "Установлена автоматическая яркость.\n";
    const Case cases[] = {
        {{{"LANG", "C.UTF-8"}}, english, "Usage: stela-cli", "Try 'stela-cli"},
        {{{"LANG", "en_GB.UTF-8"}}, english, "Usage: stela-cli", "Try 'stela-cli"},
        {{{"LANG", "ru_RU.UTF-8"}}, russian, "Использование: stela-cli", "Справка: stela-cli"},
        // The first language with stela-cli's texts; German has none.
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "de:ru"}},
         russian,
         "Использование: stela-cli",
         "Справка: stela-cli"},
        {{{"LANG", "de_DE.UTF-8"}}, english, "Usage: stela-cli", "Try 'stela-cli"},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<test::ScopedLanguage>> set;
        for (const auto& [variable, value] : c.variables) {
            set.push_back(std::make_unique<test::ScopedLanguage>(variable, value));
        }
        const char* name = c.variables.back().second;
        EXPECT_EQ(run({"brightness", "auto", "--port", "COM3"}).out, c.notice) << name;
        EXPECT_EQ(run({"--help"}).out.rfind(c.help, 0), 0u) << name;
        EXPECT_NE(run({"reed"}).err.find(c.tryHelp), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace stela

namespace stela {
namespace {

// A log that would overwrite the prices file, under its own or another name,
// is refused before anything is sent or emptied; a log that cannot be written
// fails the run, which still ends.
TEST_F(CliCommandTest, TheLogNeverEatsThePricesFileAndALostLogFailsTheRun) {
    const std::string prices = home.path() + "/prices.csv";
    const std::string text = "row,price\n1,45.67\n";
    std::ofstream(prices) << text;
    std::filesystem::create_symlink(prices, home.path() + "/link.csv");
    std::filesystem::create_hard_link(prices, home.path() + "/hard.csv");
    sim.device->attachSign("COM3");
    for (const std::string& log : {prices, home.path() + "/link.csv", home.path() + "/hard.csv"}) {
        const Result r = run({"write", "--port", "COM3", "--file", prices, "--log", log});
        EXPECT_EQ(r.status, 2) << log;
        EXPECT_EQ(r.err.rfind("stela-cli: --log " + log + " is the prices file", 0), 0u) << r.err;
    }
    EXPECT_EQ(sim.device->openCount(), 0);
    std::ifstream in(prices);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);

    const Result r = run({"write", "--port", "COM3", "--file", prices, "--log", "/dev/full"});
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("stela-cli: --log /dev/full: could not be written\n"), std::string::npos)
        << r.err;
    EXPECT_EQ(sim.device->sign("COM3")->half(12).price, "4567");  // the write went on to its end
}

}  // namespace
}  // namespace stela
