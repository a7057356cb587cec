// Any bytes through stela-cli's prices-file readers: they never crash, refuse
// only with InputError, and what they accept survives being written out and
// read again (JSON compact and indented, CSV record by record).
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
    stela::cli::JsonValue value;
    try {
        value = stela::cli::parseJson(text);
    } catch (const stela::cli::InputError&) {
        return;
    }
    require(stela::cli::parseJson(stela::cli::toJson(value)) == value);
    require(stela::cli::parseJson(stela::cli::toJson(value, 2)) == value);
    try {
        stela::cli::parsePriceJson(text);
    } catch (const stela::cli::InputError&) {
    }
}

void csv(std::string_view text) {
    std::vector<stela::cli::CsvRecord> records;
    try {
        records = stela::cli::parseCsv(text);
    } catch (const stela::cli::InputError&) {
        return;
    }
    std::string written;
    for (const auto& record : records) {
        written += stela::cli::csvLine(record);
    }
    require(stela::cli::parseCsv(written) == records);
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
