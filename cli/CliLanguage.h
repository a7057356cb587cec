#pragma once

#include <string>

#include "i18n/Languages.h"

namespace stela::cli {

// stela-cli speaks one language per run: the first of the environment's
// catalogue languages that is English or has a catalogue of stela-cli's own
// texts, else English (under C and POSIX, and for a language stela-cli has no
// catalogue for). The console's texts, written in Russian, come through that
// language's catalogue as well, so that a run in English is English throughout;
// a run in Russian takes the serial layer's texts from the Russian catalogue.
// Both are built in too (BuiltInCatalogues.h), for where the files are missing.
std::string cliLanguage(const EnvironmentReader& environment);

// Makes every lookup of this process use cliLanguage's choice.
void speakCliLanguage(const EnvironmentReader& environment);

}  // namespace stela::cli
