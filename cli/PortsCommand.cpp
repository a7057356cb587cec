#include "cli/PortsCommand.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <nlohmann/json.hpp>

#include "cli/Charset.h"
#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/PortError.h"
#include "cli/Utf8.h"
#include "serial/EComPort.h"
#include "serial/PortAddress.h"

namespace stela::cli {
namespace {

// A device's text as a terminal may show it: as it stands when plain, else in
// double quotes with '"' and '\' escaped. Control characters (C1 included:
// some terminals act on them) and bytes that are not UTF-8 come as \xNN, so no
// escape sequence reaches the terminal.
std::string textValue(const std::string& value) {
    std::string backslashed;
    for (const char c : value) {
        if (c == '"' || c == '\\') {
            backslashed += '\\';
        }
        backslashed += c;
    }
    // What escapedText leaves raw is well-formed UTF-8, where 0xC2 only leads:
    // 0xC2 0x80..0x9F is a C1 control.
    const std::string escaped = escapedText(backslashed);
    std::string out;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const auto next = i + 1 < escaped.size() ? static_cast<unsigned char>(escaped[i + 1]) : 0;
        if (escaped[i] == '\xC2' && next >= 0x80 && next < 0xA0) {
            out += escapedText("\xC2") + escapedText(std::string(1, escaped[++i]));
        } else {
            out += escaped[i];
        }
    }
    const bool plain =
        !value.empty() && out == value && std::all_of(value.begin(), value.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80 || std::isalnum(c) ||
                   std::strchr("._:/+-@,", c) != nullptr;
        });
    return plain ? out : '"' + out + '"';
}

std::string textLine(const PortDescription& p) {
    std::string line = textValue(p.port) + " " + textValue(p.device);
    const auto add = [&line](const std::string& key, const std::string& value) {
        if (!value.empty()) {
            line += " " + key + "=" + textValue(value);
        }
    };
    add(translateCli("driver"), p.driver);
    if (p.usb) {
        add("usb", p.usb->vendorId + ":" + p.usb->productId);
        add(translateCli("manufacturer"), p.usb->manufacturer);
        add(translateCli("product"), p.usb->product);
        add(translateCli("serial"), p.usb->serial);
    }
    if (p.latencyTimerMs) {
        add(translateCli("latency_timer"), std::to_string(*p.latencyTimerMs) + translateCli("ms"));
    }
    for (const std::string& link : p.byId) {
        add("by-id", link);
    }
    for (const std::string& link : p.byPath) {
        add("by-path", link);
    }
    return line;
}

using Json = nlohmann::ordered_json;

Json textOrNull(const std::string& value) {
    return value.empty() ? Json(nullptr) : Json(value);
}

Json portJson(const PortDescription& p) {
    Json usb = nullptr;
    if (p.usb) {
        usb = {
            {"vendor_id", p.usb->vendorId},
            {"product_id", p.usb->productId},
            {"manufacturer", textOrNull(p.usb->manufacturer)},
            {"product", textOrNull(p.usb->product)},
            {"serial", textOrNull(p.usb->serial)},
        };
    }
    return {
        {"port", p.port},
        {"device", p.device},
        {"driver", textOrNull(p.driver)},
        {"usb", usb},
        {"latency_timer_ms", p.latencyTimerMs ? Json(*p.latencyTimerMs) : Json(nullptr)},
        {"by_id", p.byId},
        {"by_path", p.byPath},
    };
}

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
    if (format == Format::Json) {
        Json list = Json::array();
        for (const PortDescription& port : ports) {
            list.push_back(portJson(port));
        }
        const Json document = {{"ports", list}};
        // A device's bytes that are not UTF-8 become U+FFFD.
        return document.dump(2, ' ', asciiJson, Json::error_handler_t::replace) + "\n";
    }
    std::string out;
    for (const PortDescription& port : ports) {
        out += textLine(port) + "\n";
    }
    return out;
}

int runPorts(Format format, const Environment& env) {
    try {
        *env.out << formatPorts(byComNumber(describePresentPorts(env.portSources)), format,
                                env.charset != kUtf8);
        return kDone;
    } catch (const EComPort& error) {
        *env.err << "stela-cli: "
                 << translateCli("the serial ports cannot be listed: %1", {portErrorText(error)})
                 << "\n";
        return kNoSign;
    }
}

}  // namespace stela::cli
