// The Win32 device on COM3, a pseudo-terminal under Wine whose far end sends
// back every byte (com3-echo runs this program): one conversation, compared
// whole as a transcript.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "serial/EComPort.h"
#include "serial/EventMask.h"
#include "serial/PortList.h"
#include "serial/TComPort.h"
#include "win/WinComDevice.h"

namespace stela {
namespace {

using namespace std::chrono;

// A call's failure as its system number, "0" for none.
std::string told(const PortFailure& failure) {
    return failure ? std::to_string(failure.code()) : "0";
}

std::string readText(WinComDevice& device, int capacity) {
    char buffer[64] = {};
    int received = 0;
    const PortFailure failure = device.read(buffer, capacity, received);
    return told(failure) + " '" + std::string(buffer, std::size_t(received)) + "'";
}

std::string writeText(WinComDevice& device, const std::string& text) {
    int sent = 0;
    const PortFailure failure = device.write(text.data(), int(text.size()), sent);
    return told(failure) + " sent " + std::to_string(sent);
}

constexpr char kSerialComm[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

std::string portList() {
    try {
        std::string names;
        for (const std::string& name : presentPorts()) {
            names += name + " ";
        }
        return names;
    } catch (const EComPort& e) {
        return e.what();
    }
}

void letEchoArrive() {
    std::this_thread::sleep_for(milliseconds(300));
}

// A value under HKEY_LOCAL_MACHINE\Software\ORVENA\ComPort with its type, as stored.
std::string registryText(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ORVENA\\ComPort", 0, KEY_QUERY_VALUE, &key)) {
        return "no key";
    }
    BYTE data[64] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    const LONG error = RegQueryValueExA(key, name, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS) {
        return "error " + std::to_string(error);
    }
    if (type == REG_DWORD) {
        return "REG_DWORD " + std::to_string(*reinterpret_cast<const std::uint32_t*>(data));
    }
    return (type == REG_SZ ? "REG_SZ " : "other ") +
           std::string(reinterpret_cast<const char*>(data), size);
}

TEST(WinComDevice, ConversationWithAnEchoingLine) {
    WinComDevice device;
    std::vector<std::string> t;
    t.push_back("closed read: " + readText(device, 4));
    t.push_back("open COM99: " + told(device.open(PortAddress::of("COM99"))));
    t.push_back("open COM3: " + told(device.open(PortAddress::of("COM3"))));
    t.push_back("queues: " + told(device.setQueueSizes(1024, 1024)));
    LineParameters line;
    line.baudRate = 19200;
    line.discardNull = true;
    t.push_back("line: " + told(device.setLineParameters(line)));
    t.push_back("timeouts: " + told(device.setTimeouts(TimeoutValues{})));
    TComSignals lines;
    lines.include(csCTS);
    const PortFailure modemError = device.modemLines(lines);
    t.push_back("modem lines: " + told(modemError) + " " + std::to_string(lines.empty()));

    const auto before = steady_clock::now();
    t.push_back("read none: " + readText(device, 10));
    t.push_back(std::string("at once: ") +
                (steady_clock::now() - before < milliseconds(100) ? "yes" : "no"));
    t.push_back("write: " + writeText(device, "HELLO"));
    letEchoArrive();
    t.push_back("read 3: " + readText(device, 3));
    t.push_back("read rest: " + readText(device, 10));

    writeText(device, "LOST");
    letEchoArrive();
    t.push_back("purge: " + told(device.purge(true, true)));
    t.push_back("after purge: " + readText(device, 10));

    // Windows reports the echo's arrival; Wine cannot watch a device without
    // modem lines and gives up every wait at once, so there the watch must wait
    // for its stop alone (not spin on empty waits).
    std::unique_ptr<LineEventWatch> watch;
    t.push_back("watch: " + told(device.watchEvents(kEvRxChar, watch)));
    // As the monitor waits: again after a wait that reported nothing.
    const auto waitOnce = [&] {
        return std::async(std::launch::async, [&] {
            std::uint32_t kinds = 0;
            bool goesOn = true;
            int waits = 0;
            for (; goesOn && kinds == 0 && waits < 1000; ++waits) {
                goesOn = watch->wait(kinds);
            }
            return (goesOn ? "goes on " : "stopped ") + std::to_string(kinds) +
                   (waits > 2 ? " spinning" : "");
        });
    };
    const auto stopAfter = [&](std::future<std::string>& waited) {
        std::this_thread::sleep_for(milliseconds(300));
        const auto stopping = steady_clock::now();
        watch->stop();
        const std::string result = waited.get();
        return result +
               (steady_clock::now() - stopping < milliseconds(200) ? " promptly" : " late");
    };
    auto arrival = waitOnce();
    std::this_thread::sleep_for(milliseconds(100));  // Wine's waits have given up by now
    writeText(device, "X");
    const std::string seen = stopAfter(arrival);
    t.push_back("arrival: " + (seen == "goes on 1 promptly" ? "stopped 0 promptly" : seen));
    t.push_back("unread: " + readText(device, 10));
    auto idle = waitOnce();
    t.push_back("stopped: " + stopAfter(idle));
    watch.reset();

    TComErrors errors;
    errors.include(ceFrame);
    const PortFailure errorsError = device.lineErrors(errors);
    t.push_back("line errors: " + told(errorsError) + " " + std::to_string(errors.empty()));
    t.push_back("abort: " + told(device.abortTransfers()));
    device.close();
    t.push_back("closed write: " + writeText(device, "Z"));

    // The prefix is ours: its list of ports is what this test puts there.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSerialComm);
    t.push_back("no port list: " + portList());
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSerialComm, 0, nullptr, REG_OPTION_VOLATILE,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    int serial = 0;
    for (const char* port : {"COM2", "com1", "COM10"}) {
        const std::string name = "\\Device\\Serial" + std::to_string(serial++);
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(port),
                       DWORD(std::strlen(port) + 1));
    }
    RegCloseKey(key);
    t.push_back("port list: " + portList());

    TComPort port;
    port.SetPort("COM99");
    try {
        port.Open();
    } catch (const EComPort& e) {
        t.push_back(std::string("port: ") + e.what());
    }
    port.SetPort("COM3");
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(-2);
    port.SaveSettings("HKEY_LOCAL_MACHINE\\Software\\ORVENA");
    for (const char* name : {"Port", "BaudRate", "CustomBaudRate", "Parity"}) {
        t.push_back(std::string("stored ") + name + ": " + registryText(name));
    }
    try {
        port.SaveSettings("HKEY_LOCAL_MACHINE\\\\Software");
    } catch (const EComPort& e) {
        t.push_back(std::string("no key: ") + e.what());
    }

    const std::vector<std::string> expected = {
        "closed read: 6 ''",
        "open COM99: 2",
        "open COM3: 0",
        "queues: 0",
        "line: 0",
        "timeouts: 0",
        "modem lines: 0 1",
        "read none: 0 ''",
        "at once: yes",
        "write: 0 sent 5",
        "read 3: 0 'HEL'",
        "read rest: 0 'LO'",
        "purge: 0",
        "after purge: 0 ''",
        "watch: 0",
        "arrival: stopped 0 promptly",
        "unread: 0 'X'",
        "stopped: stopped 0 promptly",
        "line errors: 0 1",
        "abort: 0",
        "closed write: 6 sent 0",
        "no port list: Registry error (win error code: 2)",
        "port list: com1 COM10 COM2 ",
        "port: Unable to open com port (win error code: 2)",
        std::string("stored Port: REG_SZ COM3") + '\0',  // the bytes and one NUL
        std::string("stored BaudRate: REG_SZ Custom") + '\0',
        "stored CustomBaudRate: REG_DWORD 4294967294",
        std::string("stored Parity: REG_SZ None") + '\0',
        "no key: Failed to store settings",
    };
    EXPECT_EQ(t, expected);
}

}  // namespace
}  // namespace stela
