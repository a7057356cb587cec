#pragma once

#include <string>

namespace stela {

struct StoreFailure;

// The line shown below "Failed to store settings" that names the settings file
// (on Windows the registry key)
// and, in plain words, what is wrong with it; the chosen settings are applied
// to the port all the same.
std::string storeTroubleHint(const StoreFailure& failure);

}  // namespace stela
