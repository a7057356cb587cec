#include <chrono>

#include "tests/workflows/ConsoleFixture.h"
#include "workflows/Notices.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;
using std::chrono::milliseconds;
using Command = CommandOutcome::Command;

class BrightnessTest : public test::ConsoleTest {
protected:
    // Each command as run, with its notice, as "frame: notice".
    std::string run(Command command, int level) {
        const CommandOutcome outcome = command == Command::Effect ? console.effect(level)
                                       : command == Command::ManualBrightness
                                           ? console.manualBrightness(level)
                                           : console.automaticBrightness();
        EXPECT_EQ(outcome.command, command);
        EXPECT_EQ(outcome.level, level);
        return outcome.frame + (outcome.confirmed ? " confirmed: " : " not confirmed: ") +
               commandNotice(outcome);
    }
};

// What the sign does -> what the command says.
TEST_F(BrightnessTest, EachCommandIsConfirmedOnlyByItsOwnReplyWithinItsPause) {
    struct Case {
        std::function<void(SignModel&)> sign;
        Command command;
        int level;
        const char* outcome;
    };
    const Case cases[] = {
        {nullptr, Command::ManualBrightness, 0, "LM0 confirmed: Установлена ручная яркость: 0"},
        {nullptr, Command::AutomaticBrightness, 0,
         "LA confirmed: Установлена автоматическая яркость."},
        {[](SignModel& s) { s.addFault(Fault::late(milliseconds(100))); },
         Command::AutomaticBrightness, 0, "LA not confirmed: Яркость не установлена."},
        {nullptr, Command::ManualBrightness, 7, "LM7 confirmed: Установлена ручная яркость: 7"},
        {[](SignModel& s) { s.addFault(Fault::replacedBy("LM5").times(1)); },
         Command::ManualBrightness, 7, "LM7 not confirmed: Яркость не установлена."},
        // "LM" only: fewer than 3 bytes wait
        {[](SignModel& s) { s.addFault(Fault::truncated(2).times(1)); }, Command::ManualBrightness,
         7, "LM7 not confirmed: Яркость не установлена."},
        {nullptr, Command::Effect, 0, "q0 confirmed: Эффекты выключены"},
        {nullptr, Command::Effect, 3, "q3 confirmed: Эффекты включены"},
        {[](SignModel& s) { s.addFault(Fault::silence()); }, Command::Effect, 3,
         "q3 not confirmed: Эффекты не включены"},
    };
    for (const Case& c : cases) {
        SignModel& sign = connectSign();
        sign.clearFaults();
        if (c.sign) {
            c.sign(sign);
        }
        EXPECT_EQ(run(c.command, c.level), c.outcome);
    }
    EXPECT_EQ(framesWritten(), (Lines{"LM0", "LA", "LA", "LM7", "LM7", "LM7", "q0", "q3", "q3"}));
    // Only the effect logs, its level.
    EXPECT_EQ(observer.log, (Lines{"Отправлено:0", "Отправлено:3", "Отправлено:3"}));
}

TEST_F(BrightnessTest, AReplyThatComesAfterThePauseIsDiscardedByTheNextCommand) {
    SignModel& sign = connectSign();
    sign.addFault(Fault::late(milliseconds(250)).times(1));
    EXPECT_FALSE(console.effect(2).confirmed);  // FOK arrives after the 200 ms pause
    sim.clock.sleep_ms(100);
    sign.addFault(Fault::silence());
    EXPECT_FALSE(console.effect(2).confirmed);  // the stale FOK must not confirm this one
}

TEST_F(BrightnessTest, AClosedPortEscapesAsAnErrorAndSendsNothing) {
    press([this] { console.automaticBrightness(); });
    press([this] { console.effect(1); });
    EXPECT_EQ(errors, (Lines{"PurgeComm function failed (win error code: " +
                                 std::to_string(ownFailure(FailureKind::NotOpen).code()) + ")",
                             "PurgeComm function failed (win error code: " +
                                 std::to_string(ownFailure(FailureKind::NotOpen).code()) + ")"}));
    EXPECT_EQ(observer.log, Lines{});
}

}  // namespace
}  // namespace stela
