// Stores the port settings as the window's port setup does on COM3, for
// registry_after_setup.sh to read back with `wine reg query`.
#include <iostream>

#include "serial/EComPort.h"
#include "serial/TComPort.h"

int main() {
    stela::TComPort port;
    port.SetBaudRate(stela::br19200);
    port.SetPort("COM3");
    try {
        port.SaveSettings("HKEY_LOCAL_MACHINE\\Software\\ORVENA");
    } catch (const stela::EComPort& error) {
        std::cerr << error.what() << " (" << error.Code() << ")\n";
        return 1;
    }
    return 0;
}
