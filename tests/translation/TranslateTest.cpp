#include "serial/Translate.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <iostream>
#include <memory>

#include "serial/ComPort.h"
#include "serial/ComSetupTexts.h"
#include "serial/PosixComDevice.h"
#include "tests/serial/Raised.h"
#include "tests/support/TestLanguage.h"

// The program's own catalogues, built beside the test programs in bin/locale,
// looked up as the program does: languages from the environment.
namespace stela {
namespace {

using test::ScopedLanguage;

// The error of opening a device that is not there, on a real port object.
std::string openError() {
    TComPort port(std::make_unique<PosixComDevice>());
    port.SetPort("/dev/stela-no-such-device");
    const EComPort e = test::raised([&] { port.Open(); });
    EXPECT_EQ(e.SystemCode(), ENOENT);
    return e.what();
}

TEST(Translate, WithoutALanguageEveryTextStaysAsWritten) {
    EXPECT_EQ(comSetupTexts().caption, "Setup");
    EXPECT_EQ(comSetupTexts().group, " Settings ");
    EXPECT_EQ(openError(), "Unable to open com port (win error code: 2)");
    EXPECT_EQ(translateDefault("Выход"), "Выход");
}

// Most machines generate only a few locales; ru_RU need not be one of them.
TEST(Translate, ARussianTechnicianGetsTheDialogAndTheErrorsInRussian) {
    ScopedLanguage russian("LANG", "ru_RU.UTF-8");
    if (std::setlocale(LC_MESSAGES, "ru_RU.UTF-8")) {
        std::setlocale(LC_MESSAGES, "C");
        std::cout << "(ru_RU.UTF-8 is generated here; the lookup does not need it)\n";
    }
    const ComSetupTexts texts = comSetupTexts();
    EXPECT_EQ(texts.caption, "Настройка");
    EXPECT_EQ(texts.group, " Параметры ");
    EXPECT_EQ(texts.baudRate, "Скорость");
    EXPECT_EQ(texts.ok, "ОК");
    EXPECT_EQ(texts.cancel, "Отмена");
    // The number goes in after the suffix was translated.
    EXPECT_EQ(openError(), "Не удалось открыть COM-порт (код ошибки: 2)");
    // The window's texts are written in Russian and stay so.
    EXPECT_EQ(translateDefault("Выход"), "Выход");
}

TEST(Translate, ALanguageListPassesOverALanguageWithoutCatalogues) {
    ScopedLanguage germanThenRussian("LANGUAGE", "de:ru");
    EXPECT_EQ(comSetupTexts().caption, "Настройка");
    EXPECT_EQ(openError(), "Не удалось открыть COM-порт (код ошибки: 2)");
}

TEST(Translate, AnEnglishTechnicianGetsTheWindowInEnglishAndTheDialogAsWritten) {
    ScopedLanguage english("LANG", "en_US.UTF-8");
    EXPECT_EQ(translateDefault("Выход"), "Exit");
    EXPECT_EQ(comSetupTexts().caption, "Setup");
    EXPECT_EQ(openError(), "Unable to open com port (win error code: 2)");
}

}  // namespace
}  // namespace stela
