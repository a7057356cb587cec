#include "win/DeviceSetup.h"

#include <windows.h>
// After windows.h, which they need; initguid.h gives the GUIDs storage here.
#include <devguid.h>
#include <initguid.h>
#include <setupapi.h>
#include <winioctl.h>

#include "os/win/WideText.h"

namespace stela {
namespace {

// A device property's strings (a REG_MULTI_SZ gives several); none when the
// device has not that property.
std::vector<std::string> property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD which) {
    wchar_t buffer[2048] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, which, &type,
                                           reinterpret_cast<BYTE*>(buffer), sizeof buffer - 4,
                                           nullptr)) {
        return {};
    }
    std::vector<std::string> strings;
    for (const wchar_t* s = buffer; *s != L'\0'; s += wcslen(s) + 1) {
        strings.push_back(narrowed(s));
        if (type != REG_MULTI_SZ) {
            break;
        }
    }
    return strings;
}

// The "PortName" its driver wrote in the device's key: "COM3".
std::string portName(HDEVINFO set, SP_DEVINFO_DATA& device) {
    const HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) {
        return {};
    }
    wchar_t name[256] = {};
    DWORD size = sizeof name - sizeof(wchar_t);
    DWORD type = 0;
    const LONG error =
        RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    return error == ERROR_SUCCESS && type == REG_SZ ? narrowed(name) : std::string();
}

void addDevices(const GUID& guid, DWORD flags, std::map<std::string, SetupPort>& ports) {
    const HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | flags);
    if (set == INVALID_HANDLE_VALUE) {
        return;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        const std::string name = portName(set, device);
        if (name.empty() || ports.count(name) != 0) {
            continue;
        }
        const auto first = [](const std::vector<std::string>& strings) {
            return strings.empty() ? std::string() : strings.front();
        };
        ports[name] = {first(property(set, device, SPDRP_FRIENDLYNAME)),
                       first(property(set, device, SPDRP_MFG)),
                       property(set, device, SPDRP_HARDWAREID)};
    }
    SetupDiDestroyDeviceInfoList(set);
}

}  // namespace

std::map<std::string, SetupPort> setupPorts() {
    std::map<std::string, SetupPort> ports;
    addDevices(GUID_DEVCLASS_PORTS, 0, ports);
    addDevices(GUID_DEVINTERFACE_COMPORT, DIGCF_DEVICEINTERFACE, ports);
    return ports;
}

}  // namespace stela
