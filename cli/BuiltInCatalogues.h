#pragma once

#include <vector>

#include "i18n/Translate.h"

namespace stela::cli {

// The catalogues stela-cli carries in itself, compiled in from locale/
// (cli/CMakeLists.txt): the console's texts in English and the serial layer's
// in Russian. Where the shared catalogues are missing (stela-cli's package
// unpacked alone, the program copied elsewhere), a run still speaks one
// language; a catalogue file found takes precedence.
std::vector<BuiltInCatalogue> builtInCatalogues();

}  // namespace stela::cli
