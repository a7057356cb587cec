#include <optional>

#include "console/Console.h"
#include "console/SerialErrors.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"

namespace stela {

namespace {

// Where the port setup stores the port's settings; they land in its ComPort key.
constexpr char kSettingsLocation[] = "HKEY_LOCAL_MACHINE\\Software\\ORVENA";

}  // namespace

// Neither logs nor touches the status line, which keeps naming the port the
// last search found. An error from the dialog's port list ends it before
// anything is stored, with the port closed. The settings chosen are applied
// even when storing them fails: the port is opened with them, and then the
// store's error is reported; when the open fails too, both are, the store's
// first, in the order of the steps.
void Console::portSetup() {
    port_.Close();
    port_.RunSetupDialog();
    port_.SetBaudRate(br19200);
    std::optional<EComPort> notStored;
    try {
        port_.SaveSettings(kSettingsLocation);
    } catch (const EComPort& error) {
        notStored = error;
    }
    try {
        port_.Open();
    } catch (const EComPort& notOpened) {
        if (notStored) {
            throw SerialErrors({*notStored, notOpened});
        }
        throw;
    }
    if (notStored) {
        throw *notStored;
    }
}

}  // namespace stela
