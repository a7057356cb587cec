#include "cli/PortsCommand.h"

#include <algorithm>
#include <limits>

#include "cli/Charset.h"
#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/PortError.h"
#include "cli/PortsFormat.h"
#include "serial/EComPort.h"
#include "serial/PortAddress.h"

namespace stela::cli {
namespace {

// COM names by number (COM3 before COM11), where the window's list has them as
// text; device paths after them, in the list's order.
std::vector<PortDescription> byComNumber(std::vector<PortDescription> ports) {
    const auto key = [](const PortDescription& p) {
        const int number = PortAddress::parse(p.port).comNumber();
        return number != 0 ? number : std::numeric_limits<int>::max();
    };
    std::stable_sort(ports.begin(), ports.end(),
                     [&key](const auto& a, const auto& b) { return key(a) < key(b); });
    return ports;
}

}  // namespace

std::string formatPorts(const std::vector<PortDescription>& ports, Format format, bool asciiJson) {
    using Json = nlohmann::ordered_json;
    if (format == Format::Json) {
        Json list = Json::array();
        for (const PortDescription& port : ports) {
            list.push_back(portObject(port));
        }
        const Json document = {{"ports", list}};
        // A device's bytes that are not UTF-8 become U+FFFD.
        return document.dump(2, ' ', asciiJson, Json::error_handler_t::replace) + "\n";
    }
    std::string out;
    for (const PortDescription& port : ports) {
        out += portLine(port) + "\n";
    }
    return out;
}

int runPorts(Format format, const Environment& env) {
    try {
        *env.out << formatPorts(byComNumber(describePresentPorts(env.portSources)), format,
                                env.outCharset != kUtf8);
        return kDone;
    } catch (const EComPort& error) {
        *env.err << "stela-cli: "
                 << translateCli("the serial ports cannot be listed: %1", {portErrorText(error)})
                 << "\n";
        return kNoSign;
    }
}

}  // namespace stela::cli
