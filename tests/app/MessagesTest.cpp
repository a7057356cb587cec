#include "app/Messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "tests/support/TestLanguage.h"

namespace stela {
namespace {

TEST(ErrorReportText, FullStopAfterALetterOrDigitOnly) {
    EXPECT_EQ(errorReportText("Unable to open com port"), "Unable to open com port.");
    EXPECT_EQ(errorReportText("win error code: 5"), "win error code: 5.");
    EXPECT_EQ(errorReportText("Порт закрыт"), "Порт закрыт.");  // last byte 0x82
    EXPECT_EQ(errorReportText("x/"), "x/.");                    // 0x2F is above '.'
    EXPECT_EQ(errorReportText("Done."), "Done.");
    EXPECT_EQ(errorReportText("Stop!"), "Stop!");
    EXPECT_EQ(errorReportText("(code 5)"), "(code 5)");
    EXPECT_EQ(errorReportText("trailing blank "), "trailing blank ");
}

TEST(ErrorReportText, EmptyMessageIsReportedAsUnknownError) {
    EXPECT_EQ(errorReportText(""), "Неизвестная ошибка.");
}

// The caption of a box the presenter shows; the box is closed as soon as it is up.
QString captionOfShownBox(void (MessagePresenter::*show)(const QString&)) {
    QString caption;
    QTimer::singleShot(0, [&caption] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            caption = box->windowTitle();
            box->close();
        }
    });
    MessageBoxPresenter presenter;
    (presenter.*show)(QStringLiteral("text"));
    return caption;
}

TEST(MessageBoxes, CaptionAndUnknownErrorInTheOperatorsLanguage) {
    const QString russian = QString::fromUtf8("ОРВЕНА - управление стелой с прошивкой D731");
    EXPECT_EQ(captionOfShownBox(&MessagePresenter::notice), russian);

    test::ScopedLanguage english("LANG", "en_US.UTF-8");
    const QString title = QStringLiteral("ORVENA - price sign control, firmware D731");
    EXPECT_EQ(captionOfShownBox(&MessagePresenter::notice), title);
    EXPECT_EQ(captionOfShownBox(&MessagePresenter::errorReport), title);
    EXPECT_EQ(errorReportText(""), "Unknown error.");
}

}  // namespace
}  // namespace stela
