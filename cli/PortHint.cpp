#include "cli/PortHint.h"

#include <cerrno>

#include "cli/CliText.h"
#include "diagnostics/PortTrouble.h"
#include "serial/EComPort.h"
#include "serial/PortNames.h"
#include "serial/net/PortUrl.h"

namespace stela::cli {

std::string portHint(const EComPort& error, const std::string& port) {
    if (endedOpen(error, port)) {
        return openTroubleHint(port, error.SystemCode());
    }
    if (error.Code() == EComPort::kLineSettingsFailed) {
        return settingsTroubleHint(port, error.SystemCode());
    }
    switch (error.SystemCode()) {
        case EBADF:
            return translateCli("No port is open: run `stela-cli search`, or give --port.");
        case EIO:
        case ENXIO:
        case ENODEV: {
            const std::string device = devicePathForPort(port);
            if (isPortUrl(device)) {
                return translateCli(
                    "The connection to %1 is lost: the server closed it or the network failed. "
                    "Check the server and the network, then run the command again.",
                    {device});
            }
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
