#include "console/Console.h"
#include "serial/TComPort.h"

namespace stela {

namespace {

// Where the port setup stores the port's settings; they land in its ComPort key.
constexpr char kSettingsLocation[] = "HKEY_LOCAL_MACHINE\\Software\\ORVENA";

}  // namespace

// Neither logs nor touches the status line, which keeps naming the port the
// last search found. An error ends it with the port closed: from the dialog's
// port list before anything is stored, from storing before the port is opened.
void Console::portSetup() {
    port_.Close();
    port_.RunSetupDialog();
    port_.SetBaudRate(br19200);
    port_.SaveSettings(kSettingsLocation);
    port_.Open();
}

}  // namespace stela
