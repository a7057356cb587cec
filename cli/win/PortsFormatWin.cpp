#include "cli/CliText.h"
#include "cli/PortsFormat.h"
#include "cli/Utf8.h"

namespace stela::cli {
namespace {

// A value as Windows users write it: as it stands, its backslashes single
// (\\.\COM3); in double quotes, a quote doubled, where it has a blank or a
// quote or is empty. Control characters and bytes that are not UTF-8 come as
// \xNN, so nothing acts on the console.
std::string textValue(const std::string& value) {
    const std::string shown = escapedText(value);
    if (!shown.empty() && shown.find_first_of(" \"") == std::string::npos) {
        return shown;
    }
    std::string quoted = "\"";
    for (const char c : shown) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + '"';
}

}  // namespace

std::string portLine(const PortDescription& p) {
    std::string line = textValue(p.port) + " " + textValue(p.device);
    const auto add = [&line](const std::string& key, const std::string& value) {
        if (!value.empty()) {
            line += " " + key + "=" + textValue(value);
        }
    };
    add(translateCli("name"), p.name);
    add(translateCli("manufacturer"), p.manufacturer);
    if (p.usb) {
        add("usb", p.usb->vendorId + ":" + p.usb->productId);
    }
    add(translateCli("driver"), p.driver);
    return line;
}

// Windows tells no adapter's own texts, latency timer or links: those fields
// are left out.
nlohmann::ordered_json portObject(const PortDescription& p) {
    using Json = nlohmann::ordered_json;
    const auto textOrNull = [](const std::string& value) {
        return value.empty() ? Json(nullptr) : Json(value);
    };
    Json usb = nullptr;
    if (p.usb) {
        usb = {{"vendor_id", p.usb->vendorId}, {"product_id", p.usb->productId}};
    }
    return {
        {"port", p.port},
        {"device", p.device},
        {"name", textOrNull(p.name)},
        {"manufacturer", textOrNull(p.manufacturer)},
        {"driver", textOrNull(p.driver)},
        {"usb", usb},
    };
}

}  // namespace stela::cli
