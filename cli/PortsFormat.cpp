#include "cli/PortsFormat.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "cli/CliText.h"
#include "cli/Utf8.h"

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

}  // namespace

std::string portLine(const PortDescription& p) {
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

namespace {

Json textOrNull(const std::string& value) {
    return value.empty() ? Json(nullptr) : Json(value);
}

}  // namespace

Json portObject(const PortDescription& p) {
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

}  // namespace stela::cli
