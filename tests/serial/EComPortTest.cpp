#include "serial/EComPort.h"

#include <gtest/gtest.h>

#include <clocale>
#include <iostream>

#include "tests/support/TestLanguage.h"

namespace stela {
namespace {

// Most machines generate only a few locales; ru_RU need not be one of them.
TEST(EComPort, ARussianTechnicianGetsTheErrorsInRussianWithTheNumberAfter) {
    EXPECT_STREQ(EComPort(EComPort::kOpenFailed, 2).what(),
                 "Unable to open com port (win error code: 2)");
    test::ScopedLanguage russian("LANG", "ru_RU.UTF-8");
    if (std::setlocale(LC_MESSAGES, "ru_RU.UTF-8")) {
        std::setlocale(LC_MESSAGES, "C");
        std::cout << "(ru_RU.UTF-8 is generated here; the lookup does not need it)\n";
    }
    // The number goes in after the suffix was translated.
    EXPECT_STREQ(EComPort(EComPort::kOpenFailed, 2).what(),
                 "Не удалось открыть COM-порт (код ошибки: 2)");
    EXPECT_STREQ(EComPort(EComPort::kStoreFailed).what(), "Не удалось сохранить настройки");
}

}  // namespace
}  // namespace stela
