#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "serial/EComPort.h"

namespace stela::test {

// Runs `action` and returns the EComPort it raised; a test failure (and code 0)
// when it raised none.
inline EComPort raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const EComPort& e) {
        return e;
    }
    ADD_FAILURE() << "no EComPort raised";
    return EComPort(0);
}

}  // namespace stela::test
