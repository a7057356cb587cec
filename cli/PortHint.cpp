#include "cli/PortHint.h"

#include "cli/CliText.h"
#include "diagnostics/PortErrorKind.h"
#include "diagnostics/PortTrouble.h"
#include "serial/EComPort.h"

namespace stela::cli {

std::string portHint(const EComPort& error, const PortAddress& port) {
    if (endedOpen(error, port)) {
        return openTroubleHint(port, error.SystemCode());
    }
    if (error.Code() == EComPort::kLineSettingsFailed) {
        return settingsTroubleHint(port, error.SystemCode());
    }
    switch (portErrorKind(error.SystemCode())) {
        case PortErrorKind::NotOpen:
            return translateCli("No port is open: run `stela-cli search`, or give --port.");
        case PortErrorKind::Gone: {
            if (port.isNetwork()) {
                return translateCli(
                    "The connection to %1 is lost: the server closed it or the network failed. "
                    "Check the server and the network, then run the command again.",
                    {port.device()});
            }
            return translateCli(
                "The connection to %1 is lost: the adapter was unplugged or the device went "
                "away. Plug it in again and run `stela-cli search`.",
                {port.deviceOrName()});
        }
        default:
            return {};
    }
}

}  // namespace stela::cli
