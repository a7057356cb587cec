#include "i18n/Translate.h"

#include <gtest/gtest.h>

#include "tests/support/TestLanguage.h"

// The program's own catalogues, built beside the test programs in bin/locale,
// looked up as the program does: languages from the environment.
namespace stela {
namespace {

using test::ScopedLanguage;

TEST(Translate, WithoutALanguageEveryTextStaysAsWritten) {
    EXPECT_EQ(translateCport("Setup"), "Setup");
    EXPECT_EQ(translateCport(" Settings "), " Settings ");
    EXPECT_EQ(translateCport(" (win error code: %d)"), " (win error code: %d)");
    EXPECT_EQ(translateDefault("Выход"), "Выход");
}

TEST(Translate, ALanguageListPassesOverALanguageWithoutCatalogues) {
    ScopedLanguage german("LANG", "de_DE.UTF-8");
    ScopedLanguage germanThenRussian("LANGUAGE", "de:ru");
    EXPECT_EQ(translateCport("Setup"), "Настройка");
    EXPECT_EQ(translateCport("Unable to open com port"), "Не удалось открыть COM-порт");
    // The window's texts are written in Russian and stay so.
    EXPECT_EQ(translateDefault("Выход"), "Выход");
}

TEST(Translate, AnEnglishTechnicianGetsTheWindowInEnglishAndThePortTextsAsWritten) {
    ScopedLanguage english("LANG", "en_US.UTF-8");
    EXPECT_EQ(translateDefault("Выход"), "Exit");
    EXPECT_EQ(translateCport("Setup"), "Setup");
    EXPECT_EQ(translateCport("Unable to open com port"), "Unable to open com port");
}

}  // namespace
}  // namespace stela
