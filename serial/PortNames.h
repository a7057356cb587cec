#pragma once

#include <string>
#include <string_view>

namespace stela {

// Port names are Windows-style ("COM1".."COM255"); PortAddress reads them. On
// Linux a name resolves to a device path: the override link "comN" in the
// dosdevices directory first, then the fixed default map; a link may point at
// a network port's URL (serial/PortUrl.h). On Windows a name is its device.

// configDirectory()/dosdevices: where Linux looks for the links.
std::string dosdevicesDirectory();

// 1..255 for "COM1".."COM255" (letters in any case, no leading zeros), else 0.
int comNumber(std::string_view port);

// COM1-32 -> /dev/ttyS0-31, COM33-64 -> /dev/ttyUSB0-31, COM65-96 -> /dev/ttyACM0-31;
// "" for other numbers. Fixed ranges, so a name never changes meaning as
// adapters come and go.
std::string defaultDeviceForCom(int number);

// The inverse of the default map for a device name below /dev: "ttyS3" -> 4,
// "ttyUSB0" -> 33, "ttyACM0" -> 65; 0 for a device outside the fixed ranges.
int comNumberForTty(std::string_view tty);

}  // namespace stela
