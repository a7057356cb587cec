#include <algorithm>
#include <cerrno>

#include "tests/workflows/ConsoleFixture.h"
#include "tests/support/Golden.h"
#include "tests/support/TestLanguage.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;
using std::chrono::milliseconds;

class BoardSearchTest : public test::ConsoleTest {};

TEST_F(BoardSearchTest, FindsTheSignOnItsOnlyPort) {
    sim.device->attachSign("COM3");
    press(&Console::boardSearch);
    EXPECT_EQ(view.log,
              (Lines{"Mem", "o1", "--- Поиск табло --- ", "Отправлено:R0E", "Принято символов:0",
                     "1 попыток чтения прошло. Задержка 200мс", "Принял:T0----10A0"}));
    EXPECT_EQ(view.notices(), Lines{"Стела подключена на порт : COM3"});
    EXPECT_EQ(view.status, "Работаем на COM3");
    EXPECT_TRUE(sim.port.Connected());
    EXPECT_EQ(sim.port.Port(), "COM3");
    EXPECT_EQ(sim.device->openPort(), "COM3");
    EXPECT_EQ(sim.port.BaudRate(), br19200);
}

TEST_F(BoardSearchTest, AnEnglishTechnicianGetsTheNoticeStatusAndLogInEnglish) {
    test::ScopedLanguage english("LANG", "en_US.UTF-8");
    sim.device->attachSign("COM3");
    press(&Console::boardSearch);
    EXPECT_EQ(view.log, (Lines{"Mem", "o1", "--- Sign search --- ", "Sent:R0E", "Bytes received:0",
                               "1 read attempts made. Delay 200ms", "Received:T0----10A0"}));
    EXPECT_EQ(view.notices(), Lines{"Sign connected on port: COM3"});
    EXPECT_EQ(view.status, "Working on COM3");
}

TEST_F(BoardSearchTest, TheHigherOfTwoAnsweringPortsWins) {
    sim.device->attachSign("COM3");
    sim.device->addSilentPort("COM5");
    sim.device->attachSign("COM40");
    press(&Console::boardSearch);
    EXPECT_EQ(view.notices(), Lines{"Стела подключена на порт : COM40"});
    EXPECT_EQ(view.status, "Работаем на COM40");
    EXPECT_EQ(sim.device->openPort(), "COM40");
    // Three exchanges: the silent port logs its failure and the search goes on.
    test::expectGolden(view.logSince(2), "search-two-signs");
}

TEST_F(BoardSearchTest, AReplyCompleteOnlyAtTheFourthPollIsNotRecognised) {
    SignModel& sign = sim.device->attachSign("COM3");
    sign.setProcessingDelay(milliseconds(170) - wireTime(12));
    press(&Console::boardSearch);
    EXPECT_EQ(view.logSince(2),
              (Lines{"--- Поиск табло --- ", "Отправлено:R0E", "Принято символов:0",
                     "Принято символов:0", "Принято символов:0", "Принято символов:0",
                     "4 попыток чтения прошло. Задержка 200мс", "Ошибка чтения!!! ",
                     "Принял:==========="}));
    EXPECT_EQ(view.notices(), Lines{"Табло не найдено. Проверьте кабель подключения табло"});
    EXPECT_EQ(view.status, "");
    // The port object is left as the loop left it: named COM255, closed.
    EXPECT_EQ(sim.port.Port(), "COM255");
    EXPECT_FALSE(sim.port.Connected());
}

TEST_F(BoardSearchTest, OnlyTheFirstTenBytesAreReadAndTheRestStayQueued) {
    SignModel& sign = sim.device->attachSign("COM255");
    sign.addFault(Fault::replacedBy("T0abcdefghijkl"));
    press(&Console::boardSearch);
    EXPECT_EQ(view.log.back(), "Принял:T0abcdefgh");
    EXPECT_EQ(view.notices(), Lines{"Стела подключена на порт : COM255"});
    EXPECT_EQ(sim.port.QueuedInputCount(), 4);
}

TEST_F(BoardSearchTest, AReplyNotStartingWithT0IsNotTaken) {
    SignModel& sign = sim.device->attachSign("COM3");
    sign.addFault(Fault::replacedBy("T1----10A0OK11"));
    press(&Console::boardSearch);
    EXPECT_EQ(view.notices(), Lines{"Табло не найдено. Проверьте кабель подключения табло"});
}

TEST_F(BoardSearchTest, NoPortsAtAllLogsOnlyTheHeader) {
    press(&Console::boardSearch);
    EXPECT_EQ(view.logSince(2), Lines{"--- Поиск табло --- "});
    EXPECT_EQ(view.notices(), Lines{"Табло не найдено. Проверьте кабель подключения табло"});
    EXPECT_EQ(sim.clock.sleptMs(), 0);
}

TEST_F(BoardSearchTest, PortsThatFailToOpenAreSkippedSilently) {
    sim.device->addSilentPort("COM2");
    sim.device->failOn(test::SimComDevice::Op::Open, EBUSY, "COM2");
    sim.device->attachSign("COM9");
    press(&Console::boardSearch);
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "Отправлено:R0E"), 1);
    EXPECT_EQ(view.notices(), Lines{"Стела подключена на порт : COM9"});
}

TEST_F(BoardSearchTest, AnErrorAfterACandidateOpenedEndsTheSearch) {
    sim.device->attachSign("COM3");
    sim.device->addSilentPort("COM5");
    sim.device->failOn(test::SimComDevice::Op::Purge, EIO, "COM5");
    press(&Console::boardSearch);
    EXPECT_EQ(view.errorReports(), Lines{"PurgeComm function failed (win error code: 5)"});
    EXPECT_EQ(view.notices(), Lines{});
    EXPECT_EQ(view.status, "");
    EXPECT_TRUE(sim.port.Connected());
    EXPECT_EQ(sim.port.Port(), "COM5");
}

TEST_F(BoardSearchTest, AWriteErrorOnACandidateEndsTheSearchBeforeItsLogLine) {
    sim.device->addSilentPort("COM1");
    sim.device->failOn(test::SimComDevice::Op::Write, EIO, "COM1");
    sim.device->attachSign("COM3");
    press(&Console::boardSearch);
    EXPECT_EQ(view.errorReports(), Lines{"WriteFile function failed (win error code: 5)"});
    EXPECT_EQ(view.logSince(2), Lines{"--- Поиск табло --- "});
    EXPECT_EQ(view.notices(), Lines{});
}

TEST_F(BoardSearchTest, TheFoundPortFailingToOpenAtTheEndIsReportedAfterTheNotice) {
    sim.device->attachSign("COM3");
    view.onCall = [&](const std::string& call) {
        if (call.rfind("notice:", 0) == 0) {
            sim.device->failOn(test::SimComDevice::Op::Open, EBUSY, "COM3");
        }
    };
    press(&Console::boardSearch);
    EXPECT_EQ(Lines(view.calls.end() - 2, view.calls.end()),
              (Lines{"notice:Стела подключена на порт : COM3",
                     "error:Unable to open com port (win error code: 16)"}));
    EXPECT_EQ(view.status, "");
    EXPECT_FALSE(sim.port.Connected());
}

TEST_F(BoardSearchTest, AFailedSearchKeepsTheStatusOfTheLastFoundPort) {
    sim.device->attachSign("COM3");
    press(&Console::boardSearch);
    sim.device->addSilentPort("COM3");  // the cable comes off
    press(&Console::boardSearch);
    EXPECT_EQ(view.notices().back(), "Табло не найдено. Проверьте кабель подключения табло");
    EXPECT_EQ(view.status, "Работаем на COM3");
}

TEST_F(BoardSearchTest, ASecondSearchFindsTheSignAgain) {
    sim.device->attachSign("COM3");
    press(&Console::boardSearch);
    press(&Console::boardSearch);
    EXPECT_EQ(view.notices(),
              (Lines{"Стела подключена на порт : COM3", "Стела подключена на порт : COM3"}));
    EXPECT_TRUE(sim.port.Connected());
}

}  // namespace
}  // namespace stela
