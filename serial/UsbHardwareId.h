#pragma once

#include <optional>
#include <string_view>

#include "serial/PortDescription.h"

namespace stela {

// The USB ids that one of Windows' hardware ids names: "USB\VID_0403&PID_6001&
// REV_0600" (a CDC or Prolific adapter's) and "FTDIBUS\COMPORT&VID_0403&
// PID_6001" (an FTDI one's) give vendor "0403" and product "6001", in lower
// case as Linux shows them; nothing for an id that names no USB device (a
// built-in port's "ACPI\PNP0501").
std::optional<UsbIdentity> usbIdentityOf(std::string_view hardwareId);

}  // namespace stela
