#include <algorithm>
#include <cerrno>

#include "tests/support/Golden.h"
#include "tests/support/TestLanguage.h"
#include "tests/workflows/ConsoleFixture.h"
#include "workflows/Notices.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;
using std::chrono::milliseconds;

class BoardSearchTest : public test::ConsoleTest {
protected:
    SearchOutcome search() {
        SearchOutcome outcome;
        press([&] { outcome = console.boardSearch(); });
        return outcome;
    }
};

const char kNotFound[] = "Табло не найдено. Проверьте кабель подключения табло";

TEST_F(BoardSearchTest, FindsTheSignOnItsOnlyPortAndWorksOnIt) {
    sim.device->attachSign("COM3");
    const SearchOutcome found = search();
    EXPECT_EQ(found.port, "COM3");
    EXPECT_FALSE(found.openError);
    EXPECT_EQ(observer.log,
              (Lines{"--- Поиск табло --- ", "Отправлено:R0E", "Принято символов:0",
                     "1 попыток чтения прошло. Задержка 200мс", "Принял:T0----10A0"}));
    EXPECT_EQ(searchNotice(found), "Стела подключена на порт : COM3");
    EXPECT_EQ(workingOnText(found.port), "Работаем на COM3");
    EXPECT_EQ(sim.device->openPort(), "COM3");
    EXPECT_EQ(sim.port.BaudRate(), br19200);
}

TEST_F(BoardSearchTest, AnEnglishTechnicianGetsTheNoticeStatusAndLogInEnglish) {
    test::ScopedLanguage english("LANG", "en_US.UTF-8");
    sim.device->attachSign("COM3");
    const SearchOutcome found = search();
    EXPECT_EQ(observer.log, (Lines{"--- Sign search --- ", "Sent:R0E", "Bytes received:0",
                                   "1 read attempts made. Delay 200ms", "Received:T0----10A0"}));
    EXPECT_EQ(searchNotice(found), "Sign connected on port: COM3");
    EXPECT_EQ(workingOnText(found.port), "Working on COM3");
}

TEST_F(BoardSearchTest, TheHigherOfTwoAnsweringPortsWins) {
    sim.device->attachSign("COM3");
    sim.device->addSilentPort("COM5");
    sim.device->attachSign("COM40");
    EXPECT_EQ(search().port, "COM40");
    EXPECT_EQ(sim.device->openPort(), "COM40");
    // Three exchanges: the silent port logs its failure and the search goes on.
    test::expectGolden(observer.log, "search-two-signs");
}

TEST_F(BoardSearchTest, AReplyCompleteOnlyAtTheFourthPollIsNotRecognised) {
    SignModel& sign = sim.device->attachSign("COM3");
    sign.setProcessingDelay(milliseconds(170) - wireTime(12));
    const SearchOutcome none = search();
    EXPECT_EQ(observer.log, (Lines{"--- Поиск табло --- ", "Отправлено:R0E", "Принято символов:0",
                                   "Принято символов:0", "Принято символов:0", "Принято символов:0",
                                   "4 попыток чтения прошло. Задержка 200мс", "Ошибка чтения!!! ",
                                   "Принял:==========="}));
    EXPECT_EQ(none.port, "");
    EXPECT_EQ(searchNotice(none), kNotFound);
    // The port object is left as the loop left it: named COM255, closed.
    EXPECT_EQ(sim.port.Port(), "COM255");
    EXPECT_FALSE(sim.port.Connected());
}

TEST_F(BoardSearchTest, OnlyTheFirstTenBytesAreReadAndTheRestStayQueued) {
    SignModel& sign = sim.device->attachSign("COM255");
    sign.addFault(Fault::replacedBy("T0abcdefghijkl"));
    EXPECT_EQ(search().port, "COM255");
    EXPECT_EQ(observer.log.back(), "Принял:T0abcdefgh");
    EXPECT_EQ(sim.port.QueuedInputCount(), 4);
}

TEST_F(BoardSearchTest, AReplyNotStartingWithT0IsNotTaken) {
    SignModel& sign = sim.device->attachSign("COM3");
    sign.addFault(Fault::replacedBy("T1----10A0OK11"));
    EXPECT_EQ(search().port, "");
}

TEST_F(BoardSearchTest, NoPortsAtAllLogsOnlyTheHeader) {
    const SearchOutcome none = search();
    EXPECT_EQ(observer.log, Lines{"--- Поиск табло --- "});
    EXPECT_EQ(none.port, "");
    EXPECT_EQ(sim.clock.sleptMs(), 0);
}

TEST_F(BoardSearchTest, PortsThatFailToOpenAreSkippedAndKeptWithTheirError) {
    sim.device->addSilentPort("COM2");
    sim.device->failOn(test::SimComDevice::Op::Open, EBUSY, "COM2");
    sim.device->attachSign("COM9");
    const SearchOutcome found = search();
    EXPECT_EQ(std::count(observer.log.begin(), observer.log.end(), "Отправлено:R0E"), 1);
    EXPECT_EQ(found.port, "COM9");
    ASSERT_EQ(found.failures.size(), 254u);
    EXPECT_EQ(found.failures[1].port.name(), "COM2");
    EXPECT_EQ(found.failures[1].failure.code(), EBUSY);
}

// A serial error after a candidate opened is no missing candidate: it ends the search.
TEST_F(BoardSearchTest, AnErrorAfterACandidateOpenedEndsTheSearch) {
    sim.device->attachSign("COM3");
    sim.device->addSilentPort("COM5");
    sim.device->failOn(test::SimComDevice::Op::Purge, EIO, "COM5");
    search();
    EXPECT_EQ(errors, Lines{"PurgeComm function failed (win error code: 5)"});
    EXPECT_EQ(sim.port.Port(), "COM5");
}

TEST_F(BoardSearchTest, AWriteErrorOnACandidateEndsTheSearchBeforeItsLogLine) {
    sim.device->addSilentPort("COM1");
    sim.device->failOn(test::SimComDevice::Op::Write, EIO, "COM1");
    sim.device->attachSign("COM3");
    search();
    EXPECT_EQ(errors, Lines{"WriteFile function failed (win error code: 5)"});
    EXPECT_EQ(observer.log, Lines{"--- Поиск табло --- "});
}

TEST_F(BoardSearchTest, TheFoundPortFailingToOpenAtTheEndIsInTheOutcome) {
    sim.device->attachSign("COM3");
    observer.onLog = [&](const std::string& line) {
        if (line == "Принял:T0----10A0") {
            sim.device->failOn(test::SimComDevice::Op::Open, EBUSY, "COM3");
        }
    };
    const SearchOutcome found = search();
    EXPECT_EQ(found.port, "COM3");
    ASSERT_TRUE(found.openError);
    EXPECT_STREQ(found.openError->what(), "Unable to open com port (win error code: 16)");
    EXPECT_FALSE(sim.port.Connected());
}

TEST_F(BoardSearchTest, ASecondSearchFindsTheSignAgain) {
    sim.device->attachSign("COM3");
    search();
    EXPECT_EQ(search().port, "COM3");
    EXPECT_TRUE(sim.port.Connected());
}

}  // namespace
}  // namespace stela
