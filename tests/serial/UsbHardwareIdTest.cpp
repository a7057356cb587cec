#include <gtest/gtest.h>

#include "serial/UsbHardwareId.h"

namespace stela {
namespace {

// Hardware ids as the adapters' drivers give them -> "vendor:product", or ""
// for an id that names no USB device.
TEST(UsbHardwareId, TheIdsAreTakenFromWholeParts) {
    const std::pair<const char*, const char*> cases[] = {
        {"USB\\VID_0403&PID_6001&REV_0600", "0403:6001"},
        {"FTDIBUS\\COMPORT&VID_0403&PID_6001", "0403:6001"},
        {"FTDIBUS\\VID_0403+PID_6015+DN02ABCD\\0000", "0403:6015"},
        {"USB\\VID_067B&PID_2303", "067b:2303"},
        {"usb\\vid_1a86&pid_7523&rev_0254", "1a86:7523"},
        {"ACPI\\PNP0501", ""},
        {"USB\\VID_0403", ""},
        {"USB\\VID_04031&PID_6001", ""},
        {"USB\\VID_04G3&PID_6001", ""},
        {"USB\\XVID_0403&PID_6001", ""},
        {"", ""},
    };
    for (const auto& [id, expected] : cases) {
        const auto usb = usbIdentityOf(id);
        EXPECT_EQ(usb ? usb->vendorId + ":" + usb->productId : "", expected) << id;
    }
}

}  // namespace
}  // namespace stela
