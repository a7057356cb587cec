#pragma once

#include <stdexcept>

namespace stela::cli {

// Input that stela-cli refuses before anything reaches the line: a bad argument,
// a price that does not fit, a prices file that does not read. Exit status 2.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace stela::cli
