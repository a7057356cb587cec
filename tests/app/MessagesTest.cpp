#include "app/Messages.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace stela
