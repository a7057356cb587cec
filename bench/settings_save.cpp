// SaveSettings of the six line values, as the port setup makes it, with a store file
// that already holds 200 other keys: the whole read, parse, rewrite, fsync and
// rename each time, in a private config home.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Stats.h"
#include "serial/TComPort.h"
#include "store/AtomicFile.h"
#include "store/RegFile.h"
#include "store/RegistryKey.h"
#include "tests/support/ScopedConfigHome.h"

namespace {

constexpr int kOtherKeys = 200;
constexpr int kSaves = 500;

std::string fileWithOtherKeys() {
    stela::RegFile file;
    for (int k = 0; k < kOtherKeys; ++k) {
        const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Vendor" + std::to_string(k);
        file.setValue(key, "Name", stela::RegValue::string("Some program " + std::to_string(k)));
        file.setValue(key, "Version", stela::RegValue::dword(std::uint32_t(k)));
        file.setValue(key, "Path", stela::RegValue::string("C:\\Program Files\\Vendor\\bin"));
    }
    return file.text();
}

}  // namespace

int main() {
    stela::test::ScopedConfigHome home;
    const std::string dir = stela::registryDirectory();
    const std::string path = dir + "/HKEY_LOCAL_MACHINE.reg";
    const std::string initial = fileWithOtherKeys();
    if (stela::makeDirectories(dir, 0700) != 0) {
        std::fprintf(stderr, "cannot create %s\n", dir.c_str());
        return 1;
    }
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(initial.data(), 1, initial.size(), out);
        std::fclose(out);
    }

    stela::TComPort port;
    port.SetBaudRate(stela::br19200);
    std::vector<std::int64_t> saves;
    for (int i = 0; i < kSaves; ++i) {
        port.SetPort("COM" + std::to_string(1 + i % 9));
        const auto start = stela::bench::nowNanos();
        port.SaveSettings("HKEY_LOCAL_MACHINE\\Software\\ORVENA");
        saves.push_back(stela::bench::nowNanos() - start);
    }

    // The same work in memory alone, to tell the format's share from the disk's.
    std::vector<std::int64_t> inMemory;
    std::size_t formatted = 0;
    const char key[] = "HKEY_LOCAL_MACHINE\\Software\\ORVENA\\ComPort";
    for (int i = 0; i < kSaves; ++i) {
        const auto start = stela::bench::nowNanos();
        auto parsed = stela::RegFile::parse(initial);
        for (const char* name :
             {"Port", "BaudRate", "StopBits", "DataBits", "Parity", "FlowControl"}) {
            parsed->setValue(key, name, stela::RegValue::string("1"));
        }
        formatted += parsed->text().size();
        inMemory.push_back(stela::bench::nowNanos() - start);
    }

    std::string text;
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    stela::readFileAt(dirFd, "HKEY_LOCAL_MACHINE.reg", text, 1 << 24);
    ::close(dirFd);
    const auto file = stela::RegFile::parse(text);
    if (!file || file->entries().size() != 3 * kOtherKeys + 6) {
        std::fprintf(stderr, "the file after the saves is not as expected\n");
        return 1;
    }
    std::printf(
        "save of 6 values, %d other keys (%zu bytes): median %.3f ms, max %.3f ms "
        "(%d saves)\n",
        kOtherKeys, text.size(), stela::bench::median(saves) / 1e6,
        stela::bench::maximum(saves) / 1e6, kSaves);
    std::printf("of which parse, change and format in memory: median %.3f ms (%zu bytes)\n",
                stela::bench::median(inMemory) / 1e6, formatted / kSaves);
    return 0;
}
