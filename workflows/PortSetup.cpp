#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "workflows/Console.h"

namespace stela {

namespace {

// Where the port setup stores the port's settings; they land in its ComPort key.
constexpr char kSettingsLocation[] = "HKEY_LOCAL_MACHINE\\Software\\ORVENA";

}  // namespace

// Neither logs nor touches the status line, which keeps naming the port the
// last search found. An error from the dialog's port list ends it before
// anything is stored, with the port closed. The settings chosen are applied
// even when storing them fails: the port is opened with them, and both
// failures are told.
SetupOutcome Console::portSetup() {
    port_.Close();
    port_.RunSetupDialog();
    port_.SetBaudRate(br19200);
    SetupOutcome outcome;
    try {
        port_.SaveSettings(kSettingsLocation);
    } catch (const EComPort& error) {
        outcome.storeError = error;
    }
    try {
        port_.Open();
    } catch (const EComPort& error) {
        outcome.openError = error;
    }
    return outcome;
}

}  // namespace stela
