#include "cli/PortHint.h"

#include "cli/CliText.h"
#include "diagnostics/PortTrouble.h"

namespace stela::cli {

std::string portHint(const EComPort& error, const PortAddress& port) {
    const PortLossWords cli = {
        [] { return translateCli("No port is open: run `stela-cli search`, or give --port."); },
        [](const PortAddress& lost) {
            if (lost.isNetwork()) {
                return translateCli(
                    "The connection to %1 is lost: the server closed it or the network failed. "
                    "Check the server and the network, then run the command again.",
                    {lost.device()});
            }
            return translateCli(
                "The connection to %1 is lost: the adapter was unplugged or the device went "
                "away. Plug it in again and run `stela-cli search`.",
                {lost.deviceOrName()});
        },
    };
    return portTroubleHint(error, port, cli);
}

}  // namespace stela::cli
