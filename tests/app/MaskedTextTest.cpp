#include "app/MaskedText.h"

#include <gtest/gtest.h>

namespace stela {
namespace {

struct Case {
    const char* set;
    const char* value;
    const char* shown;
};

TEST(MaskedText, ReadsABlankForEveryEmptyPositionAndEveryZero) {
    const Case prices[] = {
        {"", "  .  ", "00.00"},      {"  .  ", "  .  ", "00.00"}, {"12.50", "12.5 ", "12.50"},
        {"10.05", "1 . 5", "10.05"}, {"10.00", "1 .  ", "10.00"}, {" 7.5 ", " 7.5 ", "07.50"},
        {"99.99", "99.99", "99.99"},
    };
    for (const Case& c : prices) {
        MaskedText price(QStringLiteral("99.99"));
        price.setText(QString::fromUtf8(c.set));
        EXPECT_EQ(price.value(), QString::fromUtf8(c.value)) << c.set;
        EXPECT_EQ(price.display(), QString::fromUtf8(c.shown)) << c.set;
        EXPECT_FALSE(price.keptAsSet()) << c.set;
    }
    const Case digits[] = {{"", " ", "0"}, {"0", " ", "0"}, {" ", " ", "0"}, {"7", "7", "7"}};
    for (const Case& c : digits) {
        MaskedText digit(QStringLiteral("9"));
        digit.setText(QString::fromUtf8(c.set));
        EXPECT_EQ(digit.value(), QString::fromUtf8(c.value)) << c.set;
        EXPECT_EQ(digit.display(), QString::fromUtf8(c.shown)) << c.set;
    }
}

TEST(MaskedText, KeepsATextOutsideTheLayoutUntilEdited) {
    for (const char* odd : {"--.--", "12345", "1a.00", "12,34", "1.5", "١٢.٣٤"}) {
        MaskedText price(QStringLiteral("99.99"));
        price.setText(QString::fromUtf8(odd));
        EXPECT_TRUE(price.keptAsSet()) << odd;
        EXPECT_EQ(price.value(), QString::fromUtf8(odd));
        EXPECT_EQ(price.display(), QString::fromUtf8(odd));
    }
    // The first edit keeps the digits in digit positions and empties the rest.
    MaskedText price(QStringLiteral("99.99"));
    price.setText(QStringLiteral("-2.-4"));
    EXPECT_EQ(price.typeDigit(0, QLatin1Char('5')), 1);
    EXPECT_FALSE(price.keptAsSet());
    EXPECT_EQ(price.value(), QStringLiteral("52. 4"));
}

}  // namespace
}  // namespace stela
