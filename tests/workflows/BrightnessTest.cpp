#include <chrono>

#include "tests/workflows/ConsoleFixture.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;
using std::chrono::milliseconds;

class BrightnessTest : public test::ConsoleTest {};

TEST_F(BrightnessTest, AutomaticBrightnessIsConfirmedOnlyWithinItsPause) {
    SignModel& sign = connectSign();
    press(&Console::manualBrightness);
    press(&Console::automaticBrightness);
    EXPECT_EQ(sign.brightnessMode(), BrightnessMode::Automatic);
    sign.addFault(Fault::late(milliseconds(100)));
    press(&Console::automaticBrightness);
    EXPECT_EQ(view.notices(),
              (Lines{"Установлена ручная яркость: 0", "Установлена автоматическая яркость.",
                     "Яркость не установлена."}));
    EXPECT_EQ(framesWritten(), (Lines{"LM0", "LA", "LA"}));
    EXPECT_EQ(view.logSince(2), Lines{});  // the brightness commands log nothing
}

TEST_F(BrightnessTest, ManualBrightnessSendsTheDigitAndWantsItBack) {
    SignModel& sign = connectSign();
    view.brightnessDigit = "7";
    press(&Console::manualBrightness);
    EXPECT_EQ(sign.brightnessLevel(), 7);

    sign.addFault(Fault::replacedBy("LM5").times(1));
    press(&Console::manualBrightness);
    sign.addFault(Fault::truncated(2).times(1));  // "LM" only: fewer than 3 bytes wait
    press(&Console::manualBrightness);
    EXPECT_EQ(view.notices(), (Lines{"Установлена ручная яркость: 7", "Яркость не установлена.",
                                     "Яркость не установлена."}));
    EXPECT_EQ(framesWritten(), (Lines{"LM7", "LM7", "LM7"}));
}

TEST_F(BrightnessTest, EffectLogsItsLevelAndTellsOnFromOff) {
    SignModel& sign = connectSign();
    press(&Console::effect);
    view.effectDigit = "3";
    press(&Console::effect);
    EXPECT_EQ(sign.effectSeconds(), 3);
    sign.addFault(Fault::silence());
    press(&Console::effect);
    EXPECT_EQ(framesWritten(), (Lines{"q0", "q3", "q3"}));
    EXPECT_EQ(view.logSince(2), (Lines{"Отправлено:0", "Отправлено:3", "Отправлено:3"}));
    EXPECT_EQ(view.notices(),
              (Lines{"Эффекты выключены", "Эффекты включены", "Эффекты не включены"}));
}

TEST_F(BrightnessTest, AReplyThatComesAfterThePauseIsDiscardedByTheNextCommand) {
    SignModel& sign = connectSign();
    sign.addFault(Fault::late(milliseconds(250)).times(1));
    view.effectDigit = "2";
    press(&Console::effect);  // FOK arrives after the 200 ms pause
    sim.clock.sleep_ms(100);
    sign.addFault(Fault::silence());
    press(&Console::effect);  // the stale FOK must not confirm this one
    EXPECT_EQ(view.notices(), (Lines{"Эффекты не включены", "Эффекты не включены"}));
}

TEST_F(BrightnessTest, AClosedPortReportsTheErrorAndSendsNothing) {
    press(&Console::automaticBrightness);
    press(&Console::effect);
    EXPECT_EQ(view.errorReports(), (Lines{"PurgeComm function failed (win error code: 9)",
                                          "PurgeComm function failed (win error code: 9)"}));
    EXPECT_EQ(view.notices(), Lines{});
    EXPECT_EQ(view.logSince(2), Lines{});
}

}  // namespace
}  // namespace stela
