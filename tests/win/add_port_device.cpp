// Registers a serial port in Windows' device setup as an adapter's driver
// would, for the port list's tests under Wine:
//   add_port_device INSTANCE-ID HARDWARE-ID FRIENDLY-NAME MANUFACTURER PORT-NAME
#include <windows.h>
// After windows.h, which they need; initguid.h gives the GUID storage here.
#include <devguid.h>
#include <initguid.h>
#include <setupapi.h>

#include <cstdio>
#include <string>

namespace {

bool setText(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, std::wstring text) {
    text.push_back(L'\0');  // a REG_MULTI_SZ ends in two
    return SetupDiSetDeviceRegistryPropertyW(set, &device, property,
                                             reinterpret_cast<const BYTE*>(text.c_str()),
                                             DWORD((text.size() + 1) * sizeof(wchar_t))) != 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: add_port_device INSTANCE HARDWARE-ID NAME MAKER PORT\n");
        return 2;
    }
    const HDEVINFO set = SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_PORTS, nullptr);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    bool done = SetupDiCreateDeviceInfoW(set, argv[1], &GUID_DEVCLASS_PORTS, nullptr, nullptr, 0,
                                         &device) &&
                setText(set, device, SPDRP_HARDWAREID, argv[2]) &&
                setText(set, device, SPDRP_FRIENDLYNAME, argv[3]) &&
                setText(set, device, SPDRP_MFG, argv[4]) &&
                SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr);
    if (done) {
        const HKEY key =
            SetupDiCreateDevRegKeyW(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr);
        const std::wstring port = argv[5];
        done =
            key != INVALID_HANDLE_VALUE &&
            RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                           DWORD((port.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        if (key != INVALID_HANDLE_VALUE) {
            RegCloseKey(key);
        }
    }
    const DWORD error = GetLastError();
    SetupDiDestroyDeviceInfoList(set);
    if (!done) {
        std::fprintf(stderr, "add_port_device: Windows error %lu\n", error);
        return 1;
    }
    return 0;
}
