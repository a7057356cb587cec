#include "serial/UsbHardwareId.h"

#include <algorithm>
#include <cctype>

namespace stela {
namespace {

// The four hex digits of the id's part `key` + "0403" (parts are parted by
// '\', '&' and '+'), in lower case; "" when no part is that.
std::string idPart(std::string_view id, std::string_view key) {
    for (std::size_t start = 0; start <= id.size();) {
        const std::size_t end = std::min(id.find_first_of("\\&+", start), id.size());
        const std::string_view part = id.substr(start, end - start);
        start = end + 1;
        const bool named =
            part.size() == key.size() + 4 &&
            std::equal(
                key.begin(), key.end(), part.begin(),
                [](char k, char c) { return k == std::toupper(static_cast<unsigned char>(c)); }) &&
            std::all_of(part.begin() + key.size(), part.end(),
                        [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        if (named) {
            std::string hex(part.substr(key.size()));
            for (char& c : hex) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            return hex;
        }
    }
    return {};
}

}  // namespace

std::optional<UsbIdentity> usbIdentityOf(std::string_view hardwareId) {
    UsbIdentity usb;
    usb.vendorId = idPart(hardwareId, "VID_");
    usb.productId = idPart(hardwareId, "PID_");
    if (usb.vendorId.empty() || usb.productId.empty()) {
        return std::nullopt;
    }
    return usb;
}

}  // namespace stela
