#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "serial/EComPort.h"

namespace stela {

// Serial errors of one workflow that are all reported, in the order they
// happened: a store that failed and the open after it, in the port setup.
// what() holds their messages, a line each, for a front end that shows only that.
class SerialErrors : public std::runtime_error {
public:
    explicit SerialErrors(std::vector<EComPort> errors)
        : std::runtime_error(joined(errors)), errors_(std::move(errors)) {}

    const std::vector<EComPort>& errors() const { return errors_; }

private:
    static std::string joined(const std::vector<EComPort>& errors) {
        std::string text;
        for (const EComPort& error : errors) {
            text += (text.empty() ? "" : "\n") + std::string(error.what());
        }
        return text;
    }

    std::vector<EComPort> errors_;
};

}  // namespace stela
