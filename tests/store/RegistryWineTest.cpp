// Imports the files the store writes into a throwaway Wine prefix and reads them
// back with Wine's own registry tools: they are real registry exports, with the
// values typed. Skipped where Wine is not installed.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <sstream>
#include <string>

#include "tests/store/RegistryFiles.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

// Wine commands end within this, whatever happens.
const std::string kWine = "timeout 300 wine ";

// Standard output of a shell command.
std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char chunk[4096];
        while (std::size_t n = fread(chunk, 1, sizeof chunk, pipe)) {
            output.append(chunk, n);
        }
        pclose(pipe);
    }
    return output;
}

// "    Name    REG_TYPE    Data" lines of `reg query` -> name: "REG_TYPE Data".
std::map<std::string, std::string> queryValues(const std::string& key) {
    std::map<std::string, std::string> values;
    std::istringstream lines(run(kWine + "reg query '" + key + "'"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string name, type, data;
        if (fields >> name >> type >> data && type.rfind("REG_", 0) == 0) {
            values[name] = type + " " + data;
        }
    }
    return values;
}

void import(RegistryRoot root) {
    // From the file's folder: regedit would take a path that starts with '/' for a switch.
    run("cd '" + registryDirectory() + "' && " + kWine + "regedit /S " + registryRootName(root) +
        ".reg");
}

TEST(RegistryWine, SavedValuesImportAsTypedRegistryValues) {
    if (system("command -v wine >/dev/null 2>&1") != 0) {
        FAIL() << "wine is missing (scripts/deps installs it)";
    }
    test::ScopedConfigHome home;
    const std::string prefix = home.path() + "/wineprefix";
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "winemenubuilder.exe=d", 1);  // nothing on the user's desktop

    RegistryKey setup(RegistryRoot::LocalMachine, "Software\\ORVENA\\ComPort");
    setup.writeString("Port", "COM3");
    setup.writeString("BaudRate", "19200");
    ASSERT_EQ(setup.commit(), 0);
    import(RegistryRoot::LocalMachine);
    const std::string key = "HKLM\\Software\\ORVENA\\ComPort";
    EXPECT_EQ(queryValues(key), (std::map<std::string, std::string>{
                                    {"Port", "REG_SZ COM3"},
                                    {"BaudRate", "REG_SZ 19200"},
                                }));

    RegistryKey custom(RegistryRoot::LocalMachine, "Software\\ORVENA\\ComPort");
    custom.writeString("BaudRate", "Custom");
    custom.writeInteger("CustomBaudRate", 250000);
    ASSERT_EQ(custom.commit(), 0);
    import(RegistryRoot::LocalMachine);
    const auto values = queryValues(key);
    EXPECT_EQ(values.at("Port"), "REG_SZ COM3");
    EXPECT_EQ(values.at("BaudRate"), "REG_SZ Custom");
    EXPECT_EQ(values.at("CustomBaudRate"), "REG_DWORD 0x3d090");

    run("timeout 60 wineserver -k");
}

}  // namespace
}  // namespace stela
