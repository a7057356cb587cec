#include "cli/Arguments.h"

#include <algorithm>
#include <map>

#include "cli/InputError.h"
#include "cli/PriceFile.h"
#include "serial/PortNames.h"

namespace stela::cli {

const char kUsage[] =
    R"(Usage: stela-cli COMMAND [OPTION]...
Runs the price sign's workflows from a script, exactly as the window's buttons
run them: every exchange, retry, checksum and log line is the same.

Commands:
  search                 the board search over COM1..COM255 (or the --port
                         list); prints the port the sign answers on
  read                   reads the ten halves; prints them and the five rows
                         as the window's grid would hold them
  write                  writes the five rows, each half confirmed, then reads
                         them back (as "Записать"); rows not given keep what
                         the sign holds (read first)
  brightness auto|0..9   automatic brightness, or a manual level
  effect 0..9            the effect's interval in seconds (0: off)
  ports                  lists the serial ports present: COM name, device,
                         driver and, for USB adapters, vendor:product ids,
                         maker, product, serial number and stable links

Options:
  --port PORT            COM1..COM255 or a device path; without it the board
                         search runs first. For search: a list of candidates,
                         comma-separated or repeated
  --format text|json|csv output of read and write (default text); ports
                         prints text or json
  --row N=PRICE[,grade=G][,caption1=F][,caption2=F]
                         write: row N (1 top .. 5 bottom); PRICE fits 99.99 or
                         is "unused" ("--.--"); G one of 80 92 95 98 ДТ (DT)
                         none; F yes/no, 1/0 or on/off. Fields may be given
                         alone: --row 3=grade=95. Repeat for more rows
  --file FILE            write: the rows from a JSON or CSV file, checked whole
                         before anything is sent (what read prints in that
                         format reads back)
  --dry-run              write: print the ten write frames, send none
  --log FILE             write the operation log to FILE (UTF-8)
  -v, --verbose          print the operation log on stderr as it happens
  -h, --help             show this help

Exit status: 0 done and confirmed; 1 the sign did not confirm, or a half
failed its checksum (stderr says which); 2 bad arguments (nothing sent);
3 no sign found, or a port error; 128+N stopped by signal N (a write stops at
the end of the row it is writing).
)";

namespace {

const std::map<std::string, Action> kCommands = {
    {"search", Action::Search},         {"read", Action::Read},     {"write", Action::Write},
    {"brightness", Action::Brightness}, {"effect", Action::Effect}, {"help", Action::Help},
    {"ports", Action::Ports},
};

int parseLevel(const std::string& text, const std::string& what) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '9') {
        throw InputError(what + ": \"" + text + "\" is no level (0 to 9)");
    }
    return text[0] - '0';
}

void addPorts(const std::string& value, std::vector<std::string>& ports) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        const std::string port = value.substr(start, comma - start);
        if (comNumber(port) == 0 && port.rfind('/', 0) != 0) {
            throw InputError("--port: \"" + port + "\" is neither COM1..COM255 nor a device path");
        }
        ports.push_back(port);
        if (comNumber(port) != 0) {
            ports.back() = "COM" + std::to_string(comNumber(port));
        }
        if (comma == std::string::npos) {
            return;
        }
        start = comma + 1;
    }
}

// Options that only some commands take.
void requireFor(bool given, bool allowed, const char* option, const char* commands) {
    if (given && !allowed) {
        throw InputError(std::string(option) + " is only for " + commands);
    }
}

}  // namespace

Arguments parseArguments(const std::vector<std::string>& args) {
    Arguments a;
    std::vector<std::string> positional;
    std::vector<std::string> rowOptions;
    std::string file, format;
    bool help = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
            inlineValue = true;
        }
        const auto takeValue = [&]() -> std::string {
            if (inlineValue) {
                return value;
            }
            if (i + 1 >= args.size()) {
                throw InputError(arg + " needs a value");
            }
            return args[++i];
        };
        const auto once = [&](std::string& target) {
            if (!target.empty()) {
                throw InputError(arg + " is given twice");
            }
            target = takeValue();
            if (target.empty()) {
                throw InputError(arg + " needs a value");
            }
        };
        if (arg == "--port") {
            addPorts(takeValue(), a.ports);
        } else if (arg == "--format") {
            once(format);
        } else if (arg == "--row") {
            rowOptions.push_back(takeValue());
        } else if (arg == "--file") {
            once(file);
        } else if (arg == "--log") {
            once(a.logPath);
        } else if ((arg == "--dry-run" || arg == "--verbose") && inlineValue) {
            throw InputError(arg + " takes no value");
        } else if (arg == "--dry-run") {
            a.dryRun = true;
        } else if (arg == "-v" || arg == "--verbose") {
            a.verbose = true;
        } else if (arg == "-h" || arg == "--help") {
            help = true;
        } else if (arg.size() > 1 && arg[0] == '-' &&
                   !(arg.size() == 2 && arg[1] >= '0' && arg[1] <= '9')) {
            throw InputError("unknown option " + arg);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (help) {
        return Arguments{};
    }
    if (positional.empty()) {
        throw InputError("no command given (search, read, write, brightness, effect or ports)");
    }
    const auto command = kCommands.find(positional.front());
    if (command == kCommands.end()) {
        throw InputError("unknown command \"" + positional.front() + "\"");
    }
    a.action = command->second;
    const bool takesLevel = a.action == Action::Brightness || a.action == Action::Effect;
    if (positional.size() != (takesLevel ? 2u : 1u)) {
        throw InputError(takesLevel ? positional.front() + " needs one level"
                                    : "unexpected \"" + positional.back() + "\"");
    }
    if (a.action == Action::Brightness && positional[1] == "auto") {
        a.automatic = true;
    } else if (takesLevel) {
        a.level = parseLevel(positional[1], positional[0]);
    }

    const bool write = a.action == Action::Write;
    const bool ports = a.action == Action::Ports;
    requireFor(!format.empty(), a.action == Action::Read || write || ports, "--format",
               "read, write and ports");
    requireFor(!a.ports.empty(), !ports, "--port", "search, read, write, brightness and effect");
    if (ports && format == "csv") {
        throw InputError("--format: ports prints text or json");
    }
    requireFor(!rowOptions.empty(), write, "--row", "write");
    requireFor(!file.empty(), write, "--file", "write");
    requireFor(a.dryRun, write, "--dry-run", "write");
    if (a.ports.size() > 1 && a.action != Action::Search) {
        throw InputError("--port: one port only (a list is for search)");
    }
    if (!format.empty()) {
        const std::map<std::string, Format> formats = {
            {"text", Format::Text}, {"json", Format::Json}, {"csv", Format::Csv}};
        const auto found = formats.find(format);
        if (found == formats.end()) {
            throw InputError("--format: \"" + format + "\" is not text, json or csv");
        }
        a.format = found->second;
    }
    if (write) {
        if (!file.empty() && !rowOptions.empty()) {
            throw InputError("write takes --row or --file, not both");
        }
        for (const std::string& row : rowOptions) {
            parseRowOption(row, a.rows);
        }
        if (!file.empty()) {
            a.rows = readPriceFile(file);
        }
        if (std::none_of(a.rows.begin(), a.rows.end(),
                         [](const auto& r) { return r.has_value(); })) {
            throw InputError("write: no rows given (--row N=PRICE or --file FILE)");
        }
    }
    return a;
}

}  // namespace stela::cli
