// Any bytes through the registry-export reader: it never crashes, an unchanged file
// gives back the bytes it was read from, and a file whose values are all written
// anew (plus one of ours) reads back as itself, value for value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/RegFile.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool sameEntries(const stela::RegFile& a, const stela::RegFile& b) {
    const auto x = a.entries();
    const auto y = b.entries();
    if (x.size() != y.size()) {
        return false;
    }
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i].key != y[i].key || x[i].name != y[i].name || x[i].value != y[i].value) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto file = stela::RegFile::parse(text);
    if (!file) {
        return 0;
    }
    require(file->text() == text);

    for (const auto& entry : file->entries()) {
        require(file->setValue(entry.key, entry.name, entry.value));
    }
    const char key[] = "HKEY_LOCAL_MACHINE\\Software\\ORVENA\\ComPort";
    const auto port = stela::RegValue::string("C\"O\\M3");
    require(file->setValue(key, "Port", port));

    const std::string rewritten = file->text();
    const auto again = stela::RegFile::parse(rewritten);
    require(again && again->text() == rewritten && sameEntries(*file, *again));
    require(again->value(key, "port") && *again->value(key, "port") == port);
    return 0;
}
