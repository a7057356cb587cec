#include "app/MaskedEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>

namespace stela {
namespace {

class MaskedEditTest : public ::testing::Test {
protected:
    MaskedEdit price{QStringLiteral("99.99")};
};

TEST_F(MaskedEditTest, TypedDigitsFillThePositionsAroundThePoint) {
    EXPECT_EQ(price.text(), QStringLiteral("00.00"));
    price.setCursorPosition(0);
    QTest::keyClicks(&price, QStringLiteral("1a-0. 05"));
    EXPECT_EQ(price.text(), QStringLiteral("10.05"));
    EXPECT_EQ(price.valueText(), QStringLiteral("1 . 5"));
    QTest::keyClicks(&price, QStringLiteral("9"));  // the field is full
    EXPECT_EQ(price.valueText(), QStringLiteral("1 . 5"));
    price.setCursorPosition(2);  // before the point: the digit goes after it
    QTest::keyClicks(&price, QStringLiteral("3"));
    EXPECT_EQ(price.text(), QStringLiteral("10.35"));
}

TEST_F(MaskedEditTest, TypingOverASelectionStartsAfresh) {
    price.setValueText(QStringLiteral("45.67"));
    price.selectAll();  // as entering the field with Tab does
    QTest::keyClicks(&price, QStringLiteral("7"));
    EXPECT_EQ(price.text(), QStringLiteral("70.00"));
    EXPECT_EQ(price.valueText(), QStringLiteral("7 .  "));
}

TEST_F(MaskedEditTest, BackspaceAndDeleteEmptyAPositionAndTheCursorCrossesThePoint) {
    price.setValueText(QStringLiteral("12.34"));
    price.setCursorPosition(0);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(&price, Qt::Key_Right);
    }
    EXPECT_EQ(price.cursorPosition(), 3);
    QTest::keyClick(&price, Qt::Key_Backspace);
    EXPECT_EQ(price.text(), QStringLiteral("10.34"));
    EXPECT_EQ(price.cursorPosition(), 1);
    QTest::keyClick(&price, Qt::Key_Right);
    QTest::keyClick(&price, Qt::Key_Delete);  // at the point: the digit after it
    EXPECT_EQ(price.text(), QStringLiteral("10.04"));
    EXPECT_EQ(price.valueText(), QStringLiteral("1 . 4"));
    price.setCursorPosition(0);
    QTest::keyClick(&price, Qt::Key_Backspace);  // nothing before the cursor
    price.setCursorPosition(5);
    QTest::keyClick(&price, Qt::Key_Delete);  // nothing after it
    EXPECT_EQ(price.valueText(), QStringLiteral("1 . 4"));
}

TEST_F(MaskedEditTest, KeepsDashesUntilTheOperatorTypes) {
    price.setValueText(QStringLiteral("--.--"));
    EXPECT_EQ(price.text(), QStringLiteral("--.--"));
    EXPECT_EQ(price.valueText(), QStringLiteral("--.--"));
    // Edits that bypass the keys (context menu, middle-click paste) must fit the layout.
    price.setCursorPosition(0);
    price.insert(QStringLiteral("5"));
    EXPECT_EQ(price.valueText(), QStringLiteral("--.--"));
    QTest::keyClick(&price, Qt::Key_Backspace);  // nothing before the cursor yet
    QTest::keyClicks(&price, QStringLiteral("7"));
    EXPECT_EQ(price.text(), QStringLiteral("70.00"));
    EXPECT_EQ(price.valueText(), QStringLiteral("7 .  "));
}

TEST_F(MaskedEditTest, PasteTypesTheDigitsOfTheClipboard) {
    QApplication::clipboard()->setText(QStringLiteral("12.34"));
    price.setCursorPosition(0);
    QTest::keyClick(&price, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(price.valueText(), QStringLiteral("12.34"));
    // A whole price replacing the selection through the context menu is taken.
    price.selectAll();
    price.insert(QStringLiteral("20.50"));
    EXPECT_EQ(price.valueText(), QStringLiteral("2 .5 "));
}

}  // namespace
}  // namespace stela
