#include <cstddef>
#include <cstdint>
#include <string_view>

#include "i18n/MoCatalogue.h"

// Any bytes as a catalogue: parsing never reads outside them, and whatever
// parses can be looked up.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto catalogue =
        stela::MoCatalogue::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (catalogue) {
        catalogue->find("Unable to open com port");
    }
    return 0;
}
