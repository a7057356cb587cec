#include "sim/tool/SimOptions.h"

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
    SimOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                fail(arg + " needs a value");
            }
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--com") {
            options.com = parseCom(value());
        } else if (arg == "--delay") {
            options.processingDelay = parseMilliseconds(value(), "--delay");
        } else if (arg == "--gap") {
            options.idleGap = parseMilliseconds(value(), "--gap");
            if (options.idleGap <= SimTime::zero()) {
                fail("--gap must be above 0");
            }
        } else if (arg == "--fault") {
            options.faults.push_back(parseFault(value()));
        } else if (arg == "--set") {
            parseContent(value(), options);
        } else {
            fail("unknown option \"" + arg + "\" (see --help)");
        }
    }
    return options;
}

std::string simUsage() {
    return R"(Usage: stela-sim [OPTION]...
Serves a simulated price sign on a pseudo-terminal, in real time, at the line
speed of the real sign (19200 bit/s, 8N1). The first line printed is the
device path to open. Stops on Ctrl-C or SIGTERM.

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
