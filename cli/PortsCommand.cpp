#include "cli/PortsCommand.h"

#include <cctype>
#include <cstring>

#include "cli/ExitStatus.h"
#include "cli/Json.h"
#include "cli/Utf8.h"
#include "serial/EComPort.h"

namespace stela::cli {
namespace {

// The length of the well-formed UTF-8 sequence `text` starts with; 0 for none.
std::size_t sequenceAt(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t size = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    const std::string_view sequence = text.substr(0, size);
    return sequence.size() == size && firstNonUtf8(sequence) == std::string_view::npos ? size : 0;
}

// A device's text as a terminal may show it: as it stands when plain, else in
// double quotes with '"' and '\' escaped; control characters (C1 included)
// and bytes that are not UTF-8 as \xNN, so no escape sequence reaches the terminal.
std::string textValue(std::string_view value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    bool plain = !value.empty();
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t n = sequenceAt(value.substr(i));
        const auto c = static_cast<unsigned char>(value[i]);
        const bool c1 = n == 2 && c == 0xC2 && static_cast<unsigned char>(value[i + 1]) < 0xA0;
        if (n == 0 || c < 0x20 || c == 0x7F || c1) {
            for (std::size_t end = i + (n == 0 ? 1 : n); i < end; ++i) {
                const auto byte = static_cast<unsigned char>(value[i]);
                out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0x0F];
            }
            plain = false;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        plain = plain && (n > 1 || std::isalnum(c) || std::strchr("._:/+-@,", c) != nullptr);
        out.append(value.substr(i, n));
        i += n;
    }
    return plain ? out : '"' + out + '"';
}

// Valid UTF-8 for JSON: what is not becomes U+FFFD.
std::string jsonText(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t n = sequenceAt(value.substr(i));
        out += n == 0 ? std::string_view("\xEF\xBF\xBD") : value.substr(i, n);
        i += n == 0 ? 1 : n;
    }
    return out;
}

std::string textLine(const PortDescription& p) {
    std::string line = textValue(p.port) + " " + textValue(p.device);
    const auto add = [&line](const char* key, const std::string& value) {
        if (!value.empty()) {
            line += std::string(" ") + key + "=" + textValue(value);
        }
    };
    add("driver", p.driver);
    if (p.usb) {
        add("usb", p.usb->vendorId + ":" + p.usb->productId);
        add("manufacturer", p.usb->manufacturer);
        add("product", p.usb->product);
        add("serial", p.usb->serial);
    }
    if (p.latencyTimerMs) {
        add("latency_timer", std::to_string(*p.latencyTimerMs) + "ms");
    }
    for (const std::string& link : p.byId) {
        add("by-id", link);
    }
    for (const std::string& link : p.byPath) {
        add("by-path", link);
    }
    return line;
}

JsonValue portJson(const PortDescription& p) {
    const auto text = [](const std::string& value) { return JsonValue::string(jsonText(value)); };
    const auto textOrNull = [&](const std::string& value) {
        return value.empty() ? JsonValue::null() : text(value);
    };
    const auto list = [&](const std::vector<std::string>& links) {
        JsonValue items = JsonValue::array();
        for (const std::string& link : links) {
            items.items.push_back(text(link));
        }
        return items;
    };
    JsonValue port = JsonValue::object();
    port.add("port", text(p.port));
    port.add("device", text(p.device));
    port.add("driver", textOrNull(p.driver));
    JsonValue usb = JsonValue::null();
    if (p.usb) {
        usb = JsonValue::object();
        usb.add("vendor_id", text(p.usb->vendorId));
        usb.add("product_id", text(p.usb->productId));
        usb.add("manufacturer", textOrNull(p.usb->manufacturer));
        usb.add("product", textOrNull(p.usb->product));
        usb.add("serial", textOrNull(p.usb->serial));
    }
    port.add("usb", std::move(usb));
    port.add("latency_timer_ms", p.latencyTimerMs
                                     ? JsonValue::number(std::to_string(*p.latencyTimerMs))
                                     : JsonValue::null());
    port.add("by_id", list(p.byId));
    port.add("by_path", list(p.byPath));
    return port;
}

}  // namespace

std::string formatPorts(const std::vector<PortDescription>& ports, Format format) {
    std::string out;
    if (format == Format::Json) {
        JsonValue list = JsonValue::array();
        for (const PortDescription& port : ports) {
            list.items.push_back(portJson(port));
        }
        JsonValue document = JsonValue::object();
        document.add("ports", std::move(list));
        return toJson(document, 2) + "\n";
    }
    for (const PortDescription& port : ports) {
        out += textLine(port) + "\n";
    }
    return out;
}

int runPorts(Format format, const Environment& env) {
    try {
        *env.out << formatPorts(describePresentPorts(env.portSources), format);
        return kDone;
    } catch (const EComPort& error) {
        *env.err << "stela-cli: the serial ports cannot be listed: " << error.what() << "\n";
        return kNoSign;
    }
}

}  // namespace stela::cli
