#include <windows.h>

#include <cstdint>
#include <string>

#include "tests/support/FakePortList.h"

namespace stela::test {

namespace {

const char kTestKeys[] = "Software\\stela-tests";

void createKey(const std::string& path) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
}

}  // namespace

FakePortList::FakePortList(const ScopedConfigHome& home)
    : home_(home),
      tree_(home.path() + "/tree"),
      key_(std::string(kTestKeys) + "\\SERIALCOMM-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(reinterpret_cast<std::uintptr_t>(this))) {
    createKey(key_);
}

FakePortList::~FakePortList() {
    RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestKeys);  // fails while another list is there
}

// As a serial driver names its port: the device, and the COM name as REG_SZ.
void FakePortList::add(int comNumber) {
    const std::string device = "\\Device\\Fake" + std::to_string(comNumber);
    const std::string port = "COM" + std::to_string(comNumber);
    RegSetKeyValueA(HKEY_CURRENT_USER, key_.c_str(), device.c_str(), REG_SZ, port.c_str(),
                    DWORD(port.size() + 1));
}

void FakePortList::removeAll() {
    RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
    createKey(key_);
}

PortListSources FakePortList::sources() const {
    PortListSources sources;
    sources.serialComm = "HKEY_CURRENT_USER\\" + key_;
    return sources;
}

PortListSources FakePortList::unreadable() const {
    PortListSources broken = sources();
    broken.serialComm += "\\missing";
    return broken;
}

}  // namespace stela::test
