#include "sim/tool/SimOptions.h"

#include <getopt.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "protocol/Frames.h"
#include "sim/tool/FaultText.h"

namespace stela {

namespace {

[[noreturn]] void fail(const std::string& message) {
    throw std::invalid_argument(message);
}

// Milliseconds with an optional fraction ("2", "0.5"), 0 to 60000.
SimTime parseMilliseconds(const std::string& text, const char* option) {
    char* end = nullptr;
    const double ms = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(ms) || ms < 0 ||
        ms > 60000) {
        fail(std::string(option) + " takes milliseconds from 0 to 60000, not \"" + text + "\"");
    }
    return SimTime(static_cast<std::int64_t>(std::llround(ms * 1e6)));
}

int parseCom(const std::string& text) {
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > 255) {
            n = 256;
            break;
        }
        n = n * 10 + (c - '0');
    }
    if (text.empty() || n < 1 || n > 255) {
        fail("--com takes a port number from 1 to 255, not \"" + text + "\"");
    }
    return n;
}

// ADDRESS=PPPPGF (price characters, grade code, caption flags) or all=PPPPGF.
void parseContent(const std::string& text, SimOptions& options) {
    const std::size_t eq = text.find('=');
    const std::string where = text.substr(0, eq);
    const std::string what = eq == std::string::npos ? "" : text.substr(eq + 1);
    const HalfContent content{what.substr(0, 4), what.size() == 6 ? what[4] : '?',
                              what.size() == 6 ? what[5] : '?'};
    if (what.size() != 6 || !isStorable(content)) {
        fail(
            "--set takes ADDRESS=PPPPGF: four price characters (0-9 or -), grade 0-5, "
            "flags 0-3; not \"" +
            text + "\"");
    }
    if (where == "all") {
        for (int a = 0; a <= 12; ++a) {
            if (isHalfAddress(a)) {
                options.content.emplace_back(a, content);
            }
        }
        return;
    }
    int address = -1;
    if (where.size() == 1 || where.size() == 2) {
        address = std::atoi(where.c_str());
        if (where.find_first_not_of("0123456789") != std::string::npos) {
            address = -1;
        }
    }
    if (!isHalfAddress(address)) {
        fail("--set: the sign has halves 0-4 and 8-12, not \"" + where + "\"");
    }
    options.content.emplace_back(address, content);
}

}  // namespace

SimOptions parseSimOptions(const std::vector<std::string>& args) {
    // The long forms' codes stay apart from the short ones', so that an error tells which was
    // typed.
    enum : int { kCom = 256, kDelay, kGap, kFault, kSet, kVersion, kHelp, kQuiet };
    static const option kLongOptions[] = {
        {"help", no_argument, nullptr, kHelp},
        {"quiet", no_argument, nullptr, kQuiet},
        {"version", no_argument, nullptr, kVersion},
        {"com", required_argument, nullptr, kCom},
        {"delay", required_argument, nullptr, kDelay},
        {"gap", required_argument, nullptr, kGap},
        {"fault", required_argument, nullptr, kFault},
        {"set", required_argument, nullptr, kSet},
        {nullptr, 0, nullptr, 0},
    };
    std::vector<std::string> storage{"stela-sim"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    SimOptions options;
    optind = 0;  // a fresh scan, also after an earlier one
    opterr = 0;
    // "+": the options end at the first operand; ":": a missing value is told apart.
    for (int code; (code = getopt_long(argc, argv.data(), "+:hq", kLongOptions, nullptr)) != -1;) {
        const std::string typed = argv[static_cast<std::size_t>(optind - 1)];
        switch (code) {
            case 'h':
            case kHelp:
                options.help = true;
                break;
            case 'q':
            case kQuiet:
                options.quiet = true;
                break;
            case kVersion:
                options.version = true;
                break;
            case kCom:
                options.com = parseCom(optarg);
                break;
            case kDelay:
                options.processingDelay = parseMilliseconds(optarg, "--delay");
                break;
            case kGap:
                options.idleGap = parseMilliseconds(optarg, "--gap");
                if (options.idleGap <= SimTime::zero()) {
                    fail("--gap must be above 0");
                }
                break;
            case kFault:
                options.faults.push_back(parseFault(optarg));
                break;
            case kSet:
                parseContent(optarg, options);
                break;
            case ':':
                fail((optopt < kCom ? "-" + std::string(1, static_cast<char>(optopt))
                                    : typed.substr(0, typed.find('='))) +
                     " needs a value");
            default:
                if (optopt >= kCom) {
                    fail(typed.substr(0, typed.find('=')) + " takes no value");
                }
                fail("unknown option \"" +
                     (optopt == 0 ? typed.substr(0, typed.find('='))
                                  : "-" + std::string(1, static_cast<char>(optopt))) +
                     "\" (see --help)");
        }
    }
    if (optind < argc) {
        fail("unexpected \"" + storage[static_cast<std::size_t>(optind)] + "\" (see --help)");
    }
    return options;
}

std::string simUsage() {
    return R"(Usage: stela-sim [OPTION]...
Serves a simulated price sign on a pseudo-terminal, in real time, at the line
speed of the real sign (19200 bit/s, 8N1). The first line printed is the
device path to open. Stops on Ctrl-C, SIGTERM or any other signal that would
end it.

  --com N          also register the device as COMN for stela: the link comN in
                   $XDG_CONFIG_HOME/stela/dosdevices (~/.config when unset),
                   removed again at exit. A link there that points to another
                   pseudo-terminal (a stale one) is replaced; anything else is
                   left alone and stela-sim stops with an error.
  --delay MS       processing delay of the sign: from the last byte of a frame
                   to the start of its reply (default 2; fractions allowed)
  --gap MS         idle time that ends a frame in progress (default 2); "q"
                   followed by digits ends this way
  --set A=PPPPGF   initial content of half A (0-4, 8-12, or "all"): four price
                   characters (0-9 or -), grade code 0-5, caption flags 0-3;
                   e.g. --set 0=456731. Default: every half ----10
  --fault FAULT    switch on a fault (repeatable). FAULT is
                   KIND[=VALUE][,address=A][,frames=F][,after=N][,times=N]
                     silence        the sign does not hear the frame at all
                     lost           the sign acts, but its reply is lost
                     late=MS        the reply starts MS milliseconds later
                     bad-checksum   read replies carry a wrong checksum
                     lower-case     read replies' checksum letters in lower case
                     truncate=N     only the first N bytes of a reply are sent
                     surplus=BYTES  BYTES follow the reply
                     garbage=BYTES  BYTES go before the reply (,at=N: before byte N)
                     nul=N          N 0x00 bytes go before the reply (,at=N as well)
                     no-t           read replies start with X instead of T
                     no-ok          read replies carry ER instead of OK
                     reply=BYTES    the reply is BYTES instead
                   address=A   only frames for half A (brightness and effect
                               frames have no address: only faults without one
                               reach them)
                   frames=F    only frames of kind F: read, write, la, lm, q
                   after=N     let the first N matching replies pass untouched
                   times=N     then affect N replies (default: all)
                   BYTES may use \xHH (\x2C for a comma) and \\.
                   e.g. --fault late=160,address=0,times=1
                        --fault bad-checksum,frames=read,after=2,times=3
  --quiet          show nothing but the device path
  --version        show the version
  --help           show this help

On a terminal it shows the pylon (five rows of two halves: price, grade,
captions; brightness and effect) above a log of the frames received and sent;
otherwise it prints the log lines only.
)";
}

}  // namespace stela
