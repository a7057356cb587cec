#pragma once

#include <cstdlib>

namespace stela {

// Whether a device runs at the speed asked for: drivers and servers that cannot
// quietly pick another (the 8250 falls back to 9600), and more than 3 % away is
// not the speed asked for.
inline bool speedTaken(long long actual, int wanted) {
    return std::llabs(actual - wanted) * 100 <= 3LL * wanted;
}

}  // namespace stela
