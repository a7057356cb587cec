// Any bytes through stela-cli's prices-file readers: they never crash, refuse
// only with InputError, and what the CSV reader accepts survives being written
// out and read again record by record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/Csv.h"
#include "cli/InputError.h"
#include "cli/Json.h"
#include "cli/PriceFile.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void json(std::string_view text) {
    try {
        stela::cli::parseJson(text);
        stela::cli::parsePriceJson(text);
    } catch (const stela::cli::InputError&) {
    }
}

void csv(std::string_view text) {
    stela::cli::CsvTable table;
    try {
        table = stela::cli::parseCsv(text);
    } catch (const stela::cli::InputError&) {
        return;
    }
    if (table.separator == ',') {
        std::string written;
        for (const auto& record : table.records) {
            written += stela::cli::csvLine(record.fields);
        }
        require(stela::cli::parseCsv(written).records == table.records);
    }
    try {
        stela::cli::parsePriceCsv(text);
    } catch (const stela::cli::InputError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    json(text);
    csv(text);
    return 0;
}
