#include "serial/EComPort.h"

#include "i18n/Translate.h"

namespace stela {
namespace {

std::string composeMessage(int code, int systemCode) {
    std::string message = translateCport(EComPort::CodeText(code));
    if (systemCode != -1) {
        // The number replaces %d by plain substitution: a catalogue's text is
        // never used as a printf format.
        std::string suffix = translateCport(" (win error code: %d)");
        const auto at = suffix.find("%d");
        if (at != std::string::npos) {
            suffix.replace(at, 2, std::to_string(systemCode));
        }
        message += suffix;
    }
    return message;
}

}  // namespace

EComPort::EComPort(int code)
    : std::runtime_error(composeMessage(code, -1)), systemCode_(-1), code_(code) {}

EComPort::EComPort(int code, const PortFailure& failure)
    : std::runtime_error(composeMessage(code, failure.code())),
      systemCode_(failure.code()),
      code_(code),
      kind_(failure.kind()) {}

EComPort::EComPort(int code, const StoreFailure& failure) : EComPort(code) {
    storeFailure_ = std::make_shared<const StoreFailure>(failure);
}

const char* EComPort::CodeText(int code) {
    static const char* const texts[] = {
        markCport("Unable to open com port"),
        markCport("WriteFile function failed"),
        markCport("ReadFile function failed"),
        markCport("Invalid Async parameter"),
        markCport("PurgeComm function failed"),
        markCport("Unable to get async status"),
        markCport("SetCommState function failed"),
        markCport("SetCommTimeouts failed"),
        markCport("SetupComm function failed"),
        markCport("ClearCommError function failed"),
        markCport("GetCommModemStatus function failed"),
        markCport("EscapeCommFunction function failed"),
        markCport("TransmitCommChar function failed"),
        markCport("Cannot set property while connected"),
        markCport("EnumPorts function failed"),
        markCport("Failed to store settings"),
        markCport("Failed to load settings"),
        markCport("Link (un)registration failed"),
        markCport("Cannot change led state if ComPort is selected"),
        markCport("Cannot wait for event if event thread is created"),
        markCport("WaitForEvent method failed"),
        markCport("A component is linked to OnRxBuf event"),
        markCport("Registry error"),
    };
    constexpr int count = int(sizeof texts / sizeof texts[0]);
    return code >= 1 && code <= count ? texts[code - 1] : "";
}

}  // namespace stela
