#include "cli/PortHint.h"

#include <cerrno>

#include "cli/CliText.h"
#include "console/PortTrouble.h"
#include "serial/EComPort.h"
#include "serial/PortNames.h"

namespace stela::cli {

std::string portHint(const EComPort& error, const std::string& port) {
    if (endedOpen(error, port)) {
        return openTroubleHint(port, error.SystemCode());
    }
    switch (error.SystemCode()) {
        case EBADF:
            return translateCli("No port is open: run `stela-cli search`, or give --port.");
        case EIO:
        case ENXIO:
        case ENODEV: {
            const std::string device = devicePathForPort(port);
            return translateCli(
                "The connection to %1 is lost: the adapter was unplugged or the device went "
                "away. Plug it in again and run `stela-cli search`.",
                {device.empty() ? port : device});
        }
        default:
            return {};
    }
}

}  // namespace stela::cli
