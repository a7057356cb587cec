#include "serial/PortNames.h"

#include "store/ConfigDirectory.h"
#include "store/IgnoringCase.h"

namespace stela {

std::string dosdevicesDirectory() {
    return configDirectory() + "/dosdevices";
}

int comNumber(std::string_view port) {
    if (port.size() < 4 || port.size() > 6) {
        return 0;
    }
    if (!equalIgnoringCase(port.substr(0, 3), "COM") || port[3] == '0') {
        return 0;
    }
    int number = 0;
    for (char c : port.substr(3)) {
        if (c < '0' || c > '9') {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number <= 255 ? number : 0;
}

namespace {

// The fixed default map: 32 names from `first` on stand for /dev/<tty>0..31.
struct DefaultRange {
    int first;
    const char* tty;
};
constexpr DefaultRange kDefaultRanges[] = {{1, "ttyS"}, {33, "ttyUSB"}, {65, "ttyACM"}};
constexpr int kRangeSize = 32;

}  // namespace

std::string defaultDeviceForCom(int number) {
    for (const auto& range : kDefaultRanges) {
        if (number >= range.first && number < range.first + kRangeSize) {
            return std::string("/dev/") + range.tty + std::to_string(number - range.first);
        }
    }
    return {};
}

int comNumberForTty(std::string_view tty) {
    for (const auto& range : kDefaultRanges) {
        const std::string_view prefix = range.tty;
        if (tty.substr(0, prefix.size()) != prefix) {
            continue;
        }
        const std::string_view digits = tty.substr(prefix.size());
        if (digits.empty() || digits.size() > 2 || (digits.size() == 2 && digits[0] == '0')) {
            return 0;
        }
        int index = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') {
                return 0;
            }
            index = index * 10 + (c - '0');
        }
        return index < kRangeSize ? range.first + index : 0;
    }
    return 0;
}

}  // namespace stela
