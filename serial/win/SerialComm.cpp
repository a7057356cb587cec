#include "win/SerialComm.h"

#include <windows.h>

#include "os/win/WinHandle.h"
#include "serial/EComPort.h"

namespace stela {

std::vector<std::pair<std::string, std::string>> serialCommValues(const std::string& location) {
    const std::string currentUser = "HKEY_CURRENT_USER\\";
    const bool ofUser = location.compare(0, currentUser.size(), currentUser) == 0;
    HKEY opened = nullptr;
    LONG error = RegOpenKeyExA(ofUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                               location.c_str() + (ofUser ? currentUser.size() : 0), 0,
                               KEY_QUERY_VALUE, &opened);
    if (error != ERROR_SUCCESS) {
        throw EComPort(EComPort::kRegistryError, int(error));
    }
    const RegistryKeyHandle key(opened);
    std::vector<std::pair<std::string, std::string>> values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        BYTE data[256];
        DWORD nameSize = sizeof name;
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        error = RegEnumValueA(key.get(), index, name, &nameSize, nullptr, &type, data, &dataSize);
        if (error == ERROR_NO_MORE_ITEMS) {
            return values;
        }
        if (error != ERROR_SUCCESS) {
            throw EComPort(EComPort::kRegistryError, int(error));
        }
        // The data without its terminating NUL (nor anything after one).
        std::string port(reinterpret_cast<const char*>(data), dataSize);
        port.resize(port.find('\0') == std::string::npos ? port.size() : port.find('\0'));
        values.emplace_back(std::string(name, nameSize), port);
    }
}

}  // namespace stela
