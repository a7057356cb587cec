#include "cli/Arguments.h"

#include <getopt.h>

#include <algorithm>
#include <map>

#include "cli/Charset.h"
#include "cli/CliText.h"
#include "cli/InputError.h"
#include "cli/Utf8.h"

namespace stela::cli {

namespace {

const std::map<std::string, Action> kCommands = {
    {"search", Action::Search},
    {"read", Action::Read},
    {"write", Action::Write},
    {"check", Action::Check},
    {"brightness", Action::Brightness},
    {"effect", Action::Effect},
    {"help", Action::Help},
    {"ports", Action::Ports},
};

// The long options' codes stay apart from the short ones', so that an error's
// code tells which form was typed.
enum LongCode : int {
    kPort = 256,
    kFormat,
    kRow,
    kFile,
    kDryRun,
    kLog,
    kVerbose,
    kHelp,
    kVersion,
    kOutput,
    kWarnUnread,
    kEncoding,
    kTimeout,
    kWarning,
    kCritical,
    kStation,
};

const option kLongOptions[] = {
    {"port", required_argument, nullptr, kPort},
    {"format", required_argument, nullptr, kFormat},
    {"row", required_argument, nullptr, kRow},
    {"file", required_argument, nullptr, kFile},
    {"dry-run", no_argument, nullptr, kDryRun},
    {"log", required_argument, nullptr, kLog},
    {"verbose", no_argument, nullptr, kVerbose},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"output", required_argument, nullptr, kOutput},
    {"warn-unread", no_argument, nullptr, kWarnUnread},
    {"encoding", required_argument, nullptr, kEncoding},
    {"timeout", required_argument, nullptr, kTimeout},
    {"warning", required_argument, nullptr, kWarning},
    {"critical", required_argument, nullptr, kCritical},
    {"station", required_argument, nullptr, kStation},
    {nullptr, 0, nullptr, 0},
};
// '-': the command and other operands come back in order as code 1 (also under
// POSIXLY_CORRECT); ':': a missing value is told apart from an unknown option.
constexpr char kShortOptions[] = "-:p:r:f:nvhVt:w:c:";

int shortCode(int code) {
    switch (code) {
        case kPort:
            return 'p';
        case kRow:
            return 'r';
        case kFile:
            return 'f';
        case kDryRun:
            return 'n';
        case kVerbose:
            return 'v';
        case kHelp:
            return 'h';
        case kVersion:
            return 'V';
        case kTimeout:
            return 't';
        case kWarning:
            return 'w';
        case kCritical:
            return 'c';
        default:
            return code;
    }
}

// The message for getopt_long's '?' or ':' as the user typed the option.
std::string optionError(int code, const char* typedElement) {
    if (optopt != 0 && optopt < kPort) {  // a short option (a byte above 0x7F is below 0)
        const std::string shown =
            "'-" + escapedText(std::string(1, static_cast<char>(optopt))) + "'";
        return code == ':' ? translateCli("option %1 needs a value", {shown})
                           : translateCli("unknown option %1", {shown});
    }
    const std::string typed =
        std::string(typedElement).substr(0, std::string(typedElement).find('='));
    const std::string shown = "'" + escapedText(typed) + "'";
    if (code == ':') {
        return translateCli("option %1 needs a value", {shown});
    }
    if (optopt != 0) {
        return translateCli("option %1 takes no value", {shown});
    }
    std::string candidates;
    for (const option* o = kLongOptions; o->name != nullptr; ++o) {
        if (typed.size() > 2 && std::string(o->name).rfind(typed.substr(2), 0) == 0) {
            candidates += std::string(candidates.empty() ? "" : ", ") + "--" + o->name;
        }
    }
    if (candidates.find(',') != std::string::npos) {
        return translateCli("option %1 is ambiguous: %2", {shown, candidates});
    }
    return translateCli("unknown option %1", {shown});
}

// Whole seconds, 1 to kCheckTimeoutLimit.
int parseTimeout(const std::string& text) {
    int seconds = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || seconds > kCheckTimeoutLimit) {
            seconds = kCheckTimeoutLimit + 1;
            break;
        }
        seconds = seconds * 10 + (c - '0');
    }
    if (text.empty() || seconds < 1 || seconds > kCheckTimeoutLimit) {
        throw InputError(translateCli("--timeout: %1 is no time limit (1 to %2 seconds)",
                                      {quoted(text), std::to_string(kCheckTimeoutLimit)}));
    }
    return seconds;
}

int parseLevel(const std::string& text, const std::string& what) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '9') {
        throw InputError(translateCli("%1: %2 is no level (0 to 9)", {what, quoted(text)}));
    }
    return text[0] - '0';
}

// Each name is read as a port name once, here, as this system reads one.
void addPorts(const std::string& value, std::vector<PortAddress>& ports) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        const std::string name = value.substr(start, comma - start);
        PortAddress port = PortAddress::parse(name);
        if (port.form() == PortAddress::Form::None || port.form() == PortAddress::Form::NotAPort) {
            throw InputError(
                translateCli("--port: %1 is neither COM1..COM255, a device path nor a network port",
                             {quoted(name)}));
        }
        if (port.form() == PortAddress::Form::Network && !port.url()) {
            throw InputError(translateCli(
                "--port: %1 is no network port: tcp://HOST:PORT or rfc2217://HOST:PORT, HOST a "
                "name, four-part IPv4 (10.1.2.3) or IPv6 in brackets ([fd00::5]), PORT 1 to 65535",
                {quoted(name)}));
        }
        if (port.form() == PortAddress::Form::Com) {  // com3 is COM3
            port = PortAddress::parse("COM" + std::to_string(port.comNumber()));
        }
        ports.push_back(port);
        if (comma == std::string::npos) {
            return;
        }
        start = comma + 1;
    }
}

// Options that only some commands take.
void requireFor(bool given, bool allowed, const char* option, const std::string& commands) {
    if (given && !allowed) {
        throw InputError(translateCli("%1 is only for %2", {option, commands}));
    }
}

void once(std::string& target, const char* option) {
    if (!target.empty()) {
        throw InputError(translateCli("%1 is given twice", {option}));
    }
    target = optarg;
    if (target.empty()) {
        throw InputError(translateCli("%1 needs a value", {option}));
    }
}

}  // namespace

void parseArguments(const std::vector<std::string>& args, Arguments& a) {
    std::vector<std::string> storage{"stela-cli"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    a = Arguments();
    std::vector<std::string> positional;
    std::string optionFault;  // told once the command is known
    std::vector<std::string> rowOptions;
    std::string format, timeout, warning, critical;
    bool help = false, version = false;
    optind = 0;  // a fresh scan, also after an earlier one
    opterr = 0;
    for (int code;
         (code = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr)) != -1;) {
        switch (shortCode(code)) {
            case 1:
                positional.emplace_back(optarg);
                break;
            case 'p':
                addPorts(optarg, a.ports);
                break;
            case kFormat:
                once(format, "--format");
                break;
            case 'r':
                rowOptions.emplace_back(optarg);
                break;
            case 'f':
                once(a.file, "--file");
                break;
            case kLog:
                once(a.logPath, "--log");
                break;
            case 'n':
                a.dryRun = true;
                break;
            case 'v':
                a.verbose = true;
                break;
            case 'h':
                help = true;
                break;
            case 'V':
                version = true;
                break;
            case 't':
                once(timeout, "--timeout");
                break;
            case 'w':
                once(warning, "--warning");
                break;
            case 'c':
                once(critical, "--critical");
                break;
            case kStation:
                once(a.station, "--station");
                break;
            case kOutput:
                once(a.output, "--output");
                break;
            case kWarnUnread:
                a.warnUnread = true;
                break;
            case kEncoding:
                once(a.encoding, "--encoding");
                break;
            default:
                if (optionFault.empty()) {
                    optionFault = optionError(code, argv[static_cast<std::size_t>(optind - 1)]);
                }
        }
    }
    for (; optind < argc; ++optind) {
        positional.emplace_back(argv[static_cast<std::size_t>(optind)]);  // after "--"
    }
    const auto command = positional.empty() ? kCommands.end() : kCommands.find(positional.front());
    if (command != kCommands.end()) {
        a.action = command->second;
    }
    if (!optionFault.empty()) {
        throw InputError(optionFault);
    }
    // check --help, help check: the command's own help.
    const bool ofCheck =
        a.action == Action::Check ||
        (a.action == Action::Help && positional.size() == 2 && positional[1] == "check");
    if (help || version || (a.action == Action::Help && ofCheck)) {
        a = Arguments();
        a.action = help || !version ? Action::Help : Action::Version;
        a.helpOfCheck = a.action == Action::Help && ofCheck;
        return;
    }
    if (positional.empty()) {
        throw InputError(translateCli(
            "no command given (search, read, write, check, brightness, effect or ports)"));
    }
    if (command == kCommands.end()) {
        throw InputError(translateCli("unknown command %1", {quoted(positional.front())}));
    }
    const bool takesLevel = a.action == Action::Brightness || a.action == Action::Effect;
    if (positional.size() != (takesLevel ? 2u : 1u)) {
        throw InputError(takesLevel ? translateCli("%1 needs one level", {positional.front()})
                                    : translateCli("unexpected %1", {quoted(positional.back())}));
    }
    if (a.action == Action::Brightness && positional[1] == "auto") {
        a.automatic = true;
    } else if (takesLevel) {
        a.level = parseLevel(positional[1], positional[0]);
    }

    const bool write = a.action == Action::Write;
    const bool check = a.action == Action::Check;
    const bool ports = a.action == Action::Ports;
    requireFor(!format.empty(), a.action == Action::Read || write || check || ports, "--format",
               translateCli("read, write, check and ports"));
    requireFor(!a.ports.empty(), !ports, "--port",
               translateCli("search, read, write, check, brightness and effect"));
    if (ports && format == "csv") {
        throw InputError(translateCli("--format: ports prints text or json"));
    }
    if (check && !format.empty() && format != "text" && format != "prometheus") {
        throw InputError(translateCli("--format: check prints text or prometheus"));
    }
    requireFor(!rowOptions.empty(), write || check, "--row", translateCli("write and check"));
    requireFor(!a.file.empty(), write || check, "--file", translateCli("write and check"));
    requireFor(!a.encoding.empty(), !a.file.empty(), "--encoding", "--file");
    if (!a.encoding.empty() && !knownCharset(a.encoding)) {
        throw InputError(translateCli(
            "--encoding: %1 is no charset known here (iconv -l lists them)", {quoted(a.encoding)}));
    }
    requireFor(a.dryRun, write, "--dry-run", "write");
    requireFor(a.warnUnread, check, "--warn-unread", "check");
    requireFor(!a.output.empty(), check && format == "prometheus", "--output",
               "check --format prometheus");
    requireFor(!a.station.empty(), check && format == "prometheus", "--station",
               "check --format prometheus");
    requireFor(!timeout.empty(), check, "--timeout", "check");
    requireFor(!warning.empty(), check, "--warning", "check");
    requireFor(!critical.empty(), check, "--critical", "check");
    if (!timeout.empty()) {
        a.timeoutSeconds = parseTimeout(timeout);
    }
    if (!warning.empty()) {
        a.warning = parseThreshold(warning, "--warning");
    }
    if (!critical.empty()) {
        a.critical = parseThreshold(critical, "--critical");
    }
    if (a.ports.size() > 1 && a.action != Action::Search) {
        throw InputError(translateCli("--port: one port only (a list is for search)"));
    }
    if (!format.empty()) {
        const std::map<std::string, Format> formats = {{"text", Format::Text},
                                                       {"json", Format::Json},
                                                       {"csv", Format::Csv},
                                                       {"prometheus", Format::Prometheus}};
        const auto found = formats.find(format);
        if (found == formats.end() || (found->second == Format::Prometheus && !check)) {
            throw InputError(
                translateCli("--format: %1 is not text, json or csv", {quoted(format)}));
        }
        a.format = found->second;
    }
    if (write || check) {
        const std::string& name = positional.front();
        if (!a.file.empty() && !rowOptions.empty()) {
            throw InputError(translateCli("%1 takes --row or --file, not both", {name}));
        }
        for (const std::string& row : rowOptions) {
            parseRowOption(row, a.rows);
        }
        if (a.file.empty() && rowOptions.empty()) {
            throw InputError(
                translateCli("%1: no rows given (--row N=PRICE or --file FILE)", {name}));
        }
    }
}

std::string usageText() {
    return translateCli(R"(Usage: stela-cli COMMAND [OPTION]...
Runs the price sign's workflows from a script, exactly as the window runs
them: every exchange, retry, checksum and log line is the same.

Commands:
  search                 the board search over COM1..COM255 (or the --port
                         list); prints the port the sign answers on
  read                   reads the ten halves; prints them and the five rows
  write                  writes the five rows, each half confirmed, then reads
                         them back; rows not given keep what the sign holds
                         (it is read first)
  check                  reads the sign and compares the rows of --file or
                         --row with what it shows, as a monitoring plugin;
                         nothing is written to the sign ('stela-cli check
                         --help' tells its own options)
  brightness auto|0..9   automatic brightness, or a manual level
  effect 0..9            the effect's interval in seconds (0: off)
  ports                  lists the serial ports present: COM name, device,
                         driver and, for USB adapters, vendor:product ids,
                         maker, product, serial number and stable links

Options:
  -p, --port=PORT        COM1..COM255, a device path, or a sign behind a
                         network serial server: tcp://HOST:PORT (raw) or
                         rfc2217://HOST:PORT; without it the board search
                         runs first. For search: a list of candidates,
                         comma-separated or repeated
      --format=FORMAT    text, json or csv: the output of read and write
                         (default text; stela-cli(1) describes the fields);
                         ports prints text or json; check prints text or
                         prometheus (the node exporter's textfile format)
  -r, --row=N=PRICE[,grade=G][,caption1=F][,caption2=F]
                         write, check: row N (1 top .. 5 bottom); PRICE fits
                         99.99 (45,67 too) or is "unused"; G one of 80 92 95 98 ДТ (DT) none;
                         F yes/no, 1/0 or on/off. Fields may be given alone:
                         --row 3=grade=95. Repeat for more rows
  -f, --file=FILE        write, check: the rows of a JSON or CSV file ("-":
                         standard input), checked whole before anything is sent
      --encoding=NAME    the --file's charset (CP1251, KOI8-R, any iconv
                         name); without it a file that is not UTF-8 is taken
                         in the locale's charset or else CP1251, and stderr
                         says which
  -n, --dry-run          write: print the ten write frames, send none
      --log=FILE         write the operation log to FILE (UTF-8)
  -v, --verbose          print the operation log on stderr as it happens
  -h, --help             show this help and exit
  -V, --version          show the version and exit

Exit status: 0 done and confirmed; 1 the sign did not confirm, a half failed,
a row's halves differ, or the read-back differs from what was written (stderr
says which); 2 bad arguments or a bad prices file (nothing is sent); 3 no sign
found, or a port error; 4 done, but the --log file could not be written;
128+N stopped by signal N (a write stops at the end of the row it is writing).
check exits as monitoring plugins do: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.
)");
}

std::string checkUsageText() {
    return translateCli(R"(Usage: stela-cli check (--file FILE | --row N=PRICE...) [OPTION]...
Reads the price sign once, as the window's "Прочитать" does, and compares
each row given with what the sign shows: the price, the grade and the
captions, as far as they are given. A row shows what was ordered only when
both its halves answered and agree. Nothing is written to the sign.

It answers as a monitoring plugin (Nagios, Icinga, NRPE): one status line,
the performance data after the "|", and the state as the exit status:
  STELA OK - 5 rows as expected | rows_ok=5;;;0;5 read_time=1.01s;;;0;10

Options:
  -p, --port=PORT        COM1..COM255, a device path, tcp://HOST:PORT or
                         rfc2217://HOST:PORT; without it the board search
                         finds the sign
  -f, --file=FILE        the rows expected, from a JSON or CSV prices file as
                         write takes it ("-": standard input)
      --encoding=NAME    the --file's charset
  -r, --row=N=PRICE[,grade=G][,caption1=F][,caption2=F]
                         a row expected, as write takes it; repeat for more
  -t, --timeout=SECONDS  answer within SECONDS, 1 to 3600 (default 10): when
                         time is short the read makes fewer passes, and the
                         port is released before the answer
  -w, --warning=RANGE    WARNING when the read's seconds are outside RANGE
  -c, --critical=RANGE   CRITICAL when they are outside RANGE. A RANGE as
                         monitoring plugins take it: 10 (above 10), 5: (below
                         5), ~:10 (above 10), 5:10 (outside), @5:10 (inside)
      --warn-unread      a half that did not answer is a WARNING, not CRITICAL
      --format=FORMAT    text (the status line) or prometheus (the node
                         exporter's textfile format)
      --output=FILE      with --format prometheus: replace FILE with the
                         metrics (atomically) and print the status line
      --station=NAME     with --format prometheus: the station label (default:
                         this machine's name)
      --log=FILE         write the operation log to FILE (UTF-8)
  -v, --verbose          print the operation log on stderr as it happens
  -h, --help             show this help and exit
  -V, --version          show the version and exit

Exit status:
  0 OK        every row given shows what was expected
  1 WARNING   with --warn-unread a half did not answer, or the read took
              longer than -w allows; all else as expected
  2 CRITICAL  a row shows something else, its halves differ or a half failed;
              the sign did not answer, its port is not there or went away, or
              the time limit ran out
  3 UNKNOWN   the port is in use or may not be opened, bad arguments, a bad
              prices file, or the --output file could not be written
)");
}

}  // namespace stela::cli
