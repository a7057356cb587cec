#include "serial/EComPort.h"

#include "serial/Translate.h"

namespace stela {
namespace {

std::string composeMessage(int code, int systemCode) {
    std::string message = translate(EComPort::CodeText(code), "default");
    if (systemCode != -1) {
        // The number replaces %d by plain substitution: a catalogue's text is
        // never used as a printf format.
        std::string suffix = translate(" (win error code: %d)", "default");
        const auto at = suffix.find("%d");
        if (at != std::string::npos) {
            suffix.replace(at, 2, std::to_string(systemCode));
        }
        message += suffix;
    }
    return message;
}

}  // namespace

EComPort::EComPort(int code, int systemCode)
    : std::runtime_error(composeMessage(code, systemCode)), systemCode_(systemCode), code_(code) {}

const char* EComPort::CodeText(int code) {
    static const char* const texts[] = {
        "Unable to open com port",
        "WriteFile function failed",
        "ReadFile function failed",
        "Invalid Async parameter",
        "PurgeComm function failed",
        "Unable to get async status",
        "SetCommState function failed",
        "SetCommTimeouts failed",
        "SetupComm function failed",
        "ClearCommError function failed",
        "GetCommModemStatus function failed",
        "EscapeCommFunction function failed",
        "TransmitCommChar function failed",
        "Cannot set property while connected",
        "EnumPorts function failed",
        "Failed to store settings",
        "Failed to load settings",
        "Link (un)registration failed",
        "Cannot change led state if ComPort is selected",
        "Cannot wait for event if event thread is created",
        "WaitForEvent method failed",
        "A component is linked to OnRxBuf event",
        "Registry error",
    };
    constexpr int count = int(sizeof texts / sizeof texts[0]);
    return code >= 1 && code <= count ? texts[code - 1] : "";
}

}  // namespace stela
