#pragma once

// stela-cli's names for the UTF-8 helpers it shares with the journal.
#include "i18n/Utf8.h"

namespace stela::cli {

using stela::escapedBadBytes;
using stela::escapedText;
using stela::firstNonUtf8;
using stela::incompleteTail;

}  // namespace stela::cli
