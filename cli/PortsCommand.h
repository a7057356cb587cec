#pragma once

#include <string>
#include <vector>

#include "cli/Environment.h"
#include "cli/Readout.h"
#include "serial/PortDescription.h"

namespace stela::cli {

// stela-cli ports: every serial port present, described; the exit status
// (ExitStatus.h): 3 when the ports cannot be listed.
int runPorts(Format format, const Environment& env);

// The ports in `format` (text or JSON). Text is one line per port, its name
// and device first, then what is known as key=value ("driver=ftdi_sio
// usb=0403:6001 product="FT232R USB UART"", the keys in the run's language);
// bytes a device reported that are not printable text are escaped (\xNN), in
// JSON replaced by U+FFFD. JSON is ASCII with \u escapes when `asciiJson`.
std::string formatPorts(const std::vector<PortDescription>& ports, Format format,
                        bool asciiJson = false);

}  // namespace stela::cli
