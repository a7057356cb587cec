// The port object's side of the settings store: which key a location names and the
// values each saved group writes.
#include <strings.h>

#include <optional>
#include <stdexcept>

#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "store/RegistryKey.h"

namespace stela {
namespace {

// The window's port object is the component named ComPort; its key bears that name.
constexpr char kComponentName[] = "ComPort";

// The text before the first backslash picks the root (HKEY_LOCAL_MACHINE, else
// HKEY_CURRENT_USER, ignoring case); the rest, ending in a backslash, gets the
// component's name. No key without a backslash or without anything after it.
std::optional<RegistryKey> settingsKey(const std::string& location) {
    const std::size_t slash = location.find('\\');
    if (slash == std::string::npos || slash + 1 == location.size()) {
        return std::nullopt;
    }
    const std::string rootText = location.substr(0, slash);
    const RegistryRoot root = ::strcasecmp(rootText.c_str(), "HKEY_LOCAL_MACHINE") == 0
                                  ? RegistryRoot::LocalMachine
                                  : RegistryRoot::CurrentUser;
    std::string path = location.substr(slash + 1);
    if (path.back() != '\\') {
        path += '\\';
    }
    return RegistryKey(root, path + kComponentName);
}

template <std::size_t N>
std::string textAt(const std::array<const char*, N>& texts, unsigned position) {
    if (position >= N) {
        throw std::out_of_range("a setting holds a value outside its type");
    }
    return texts[position];
}

std::string flagForm(bool value) {
    return value ? "Yes" : "No";
}

// Codes 33..127 stand for themselves, every other code is "#" and its decimal.
std::string characterForm(char c) {
    const unsigned code = static_cast<unsigned char>(c);
    return code >= 33 && code <= 127 ? std::string(1, c) : "#" + std::to_string(code);
}

}  // namespace

void TCustomComPort::SaveSettings(const std::string& Location) {
    std::optional<RegistryKey> key = settingsKey(Location);
    if (!key) {
        throw EComPort(EComPort::kStoreFailed);
    }
    try {
        SaveToRegistry(*key);
    } catch (...) {
        throw EComPort(EComPort::kStoreFailed);
    }
    if (key->commit() != 0) {
        throw EComPort(EComPort::kStoreFailed, key->failure());
    }
}

void TCustomComPort::SaveToRegistry(RegistryKey& Key) {
    const TComFlowControl& flow = FlowControl();
    if (savedGroups_.contains(sgLine)) {
        Key.writeString("Port", Port());
        Key.writeString("BaudRate", textAt(kBaudRateTexts, BaudRate()));
        if (BaudRate() == brCustom) {
            Key.writeInteger("CustomBaudRate", CustomBaudRate());
        }
        Key.writeString("StopBits", textAt(kStopBitsTexts, StopBits()));
        Key.writeString("DataBits", textAt(kDataBitsTexts, DataBits()));
        Key.writeString("Parity", textAt(kParityBitsTexts, Parity().Bits()));
        Key.writeString("FlowControl", textAt(kFlowControlTexts, flow.FlowControl()));
    }
    if (savedGroups_.contains(sgExtra)) {
        Key.writeString("EventChar", characterForm(EventChar()));
        Key.writeString("DiscardNull", flagForm(DiscardNull()));
    }
    if (savedGroups_.contains(sgParityDetail)) {
        Key.writeString("Parity.Check", flagForm(Parity().Check()));
        Key.writeString("Parity.Replace", flagForm(Parity().Replace()));
        Key.writeString("Parity.ReplaceChar", characterForm(Parity().ReplaceChar()));
    }
    if (savedGroups_.contains(sgQueues)) {
        Key.writeInteger("Buffer.OutputSize", Buffer().OutputSize());
        Key.writeInteger("Buffer.InputSize", Buffer().InputSize());
    }
    if (savedGroups_.contains(sgTimeouts)) {
        const TComTimeouts& t = Timeouts();
        Key.writeInteger("Timeouts.ReadInterval", t.ReadInterval());
        Key.writeInteger("Timeouts.ReadTotalConstant", t.ReadTotalConstant());
        Key.writeInteger("Timeouts.ReadTotalMultiplier", t.ReadTotalMultiplier());
        Key.writeInteger("Timeouts.WriteTotalConstant", t.WriteTotalConstant());
        Key.writeInteger("Timeouts.WriteTotalMultiplier", t.WriteTotalMultiplier());
    }
    if (savedGroups_.contains(sgFlowDetail)) {
        Key.writeString("FlowControl.ControlRTS", textAt(kRTSFlowControlTexts, flow.ControlRTS()));
        Key.writeString("FlowControl.ControlDTR", textAt(kDTRFlowControlTexts, flow.ControlDTR()));
        Key.writeString("FlowControl.DSRSensitivity", flagForm(flow.DSRSensitivity()));
        Key.writeString("FlowControl.OutCTSFlow", flagForm(flow.OutCTSFlow()));
        Key.writeString("FlowControl.OutDSRFlow", flagForm(flow.OutDSRFlow()));
        Key.writeString("FlowControl.TxContinueOnXoff", flagForm(flow.TxContinueOnXoff()));
        Key.writeString("FlowControl.XonXoffIn", flagForm(flow.XonXoffIn()));
        Key.writeString("FlowControl.XonXoffOut", flagForm(flow.XonXoffOut()));
        Key.writeString("FlowControl.XoffChar", characterForm(flow.XoffChar()));
        Key.writeString("FlowControl.XonChar", characterForm(flow.XonChar()));
    }
}

}  // namespace stela
