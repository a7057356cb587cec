#include <algorithm>

#include "serial/PortList.h"
#include "store/IgnoringCase.h"
#include "win/SerialComm.h"

namespace stela {
namespace {

// As text, ignoring case: COM1, COM10, COM2.
bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return lowerAscii(x) < lowerAscii(y);
    });
}

}  // namespace

// Windows probes no UART: its drivers list only the ports they have.
bool uartPresent(const std::string&) {
    return false;
}

std::vector<std::string> presentPorts(const PortListSources& sources) {
    std::vector<std::string> names;
    for (const auto& value : serialCommValues(sources.serialComm)) {
        names.push_back(value.second);
    }
    std::stable_sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

}  // namespace stela
