#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "serial/PortDescription.h"

namespace stela::cli {

// A port as `ports` shows it, in its system's words: on Linux its driver, USB
// identity, latency timer and udev's links; on Windows what its device setup
// tells, its names written as Windows users write them, and no field that
// Windows does not have.

// One line for a person: the COM name and the device, then what is known as
// key=value (the keys in the run's language). No value can act on the terminal.
std::string portLine(const PortDescription& port);

// Its object in the JSON list; what the system has but did not tell is null.
nlohmann::ordered_json portObject(const PortDescription& port);

}  // namespace stela::cli
