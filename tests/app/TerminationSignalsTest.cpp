// The signals that would end the program reach the window through the event
// loop and close it as its close box does.
#include "app/TerminationSignals.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <csignal>

#include "tests/app/SimulatedSignParts.h"

namespace stela {
namespace {

class NoPresenter : public MessagePresenter {
public:
    void notice(const QString&) override {}
    void errorReport(const QString&) override {}
};

bool defaultAction(int signal) {
    struct sigaction now {};
    ::sigaction(signal, nullptr, &now);
    return now.sa_handler == SIG_DFL;
}

// The real console on a simulated sign; the signal comes with the n-th
// progress step of the write (1: as it starts, before the first frame).
TEST(TerminationSignals, ASignalAtAnyStepOfAWriteLeavesEveryPanelWhole) {
    const int kinds[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM};
    // Rows written: the row in progress is finished, and no other begun.
    const int rowsWritten[] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 5};
    for (int i = 0; i < 10 * 8; ++i) {
        const int n = i / 8 + 1, signal = kinds[i % 8];
        SCOPED_TRACE(n);
        test::VirtualClock clock;
        test::SimComDevice* sim = nullptr;
        TMainForm window(test::simulatedSignParts(clock, sim, std::make_unique<NoPresenter>()));
        SignModel& sign = *sim->sign("COM3");
        TerminationSignals terminations([&](int) { closeAsTheCloseBoxDoes(window); });
        for (int row = 1; row <= 5; ++row) {
            window.refillRow(row, "12.34", std::nullopt);
        }
        window.show();
        // The n-th step's events follow its "Запишу" line (the first step
        // has none: the write's own start takes a signal already there).
        if (n == 1) {
            ::kill(::getpid(), signal);
        }
        QPlainTextEdit* log = window.findChild<QPlainTextEdit*>("Memo1");
        int steps = 0;
        QObject::connect(log->document(), &QTextDocument::blockCountChanged, &window, [&] {
            if (log->document()->lastBlock().text().startsWith(QString::fromUtf8("Запишу")) &&
                ++steps == n) {
                ::kill(::getpid(), signal);
            }
        });
        window.Button8Click();

        EXPECT_EQ(TerminationSignals::received(), signal);
        EXPECT_FALSE(window.isVisible());
        int newPanels = 0;
        for (int panel = 0; panel <= 4; ++panel) {
            EXPECT_EQ(sign.half(panel), sign.half(panel + 8)) << "panel " << panel;
            newPanels += sign.half(panel).price == "1234";
        }
        EXPECT_EQ(newPanels, rowsWritten[n - 1]);
        for (const auto& frame : sim->framesWritten()) {
            EXPECT_EQ(frame[0], 'W') << "no read-back";
        }
        EXPECT_TRUE(log->toPlainText().contains(
            QString::fromUtf8("--- Окно закрывается: запись остановлена ---")));
        // A second signal would end the program at once; a closed stderr would not.
        for (int s : kinds) {
            EXPECT_EQ(defaultAction(s), s != SIGPIPE) << s;
        }
    }
}

// Nobody may be at the screen to answer a notice: it is dismissed, and the
// workflow that showed it ends; the handlers replaced are back afterwards.
TEST(TerminationSignals, ANoticeThatIsUpIsDismissed) {
    struct sigaction before {};
    ::sigaction(SIGHUP, nullptr, &before);
    {
        QWidget window;
        window.show();
        TerminationSignals terminations([&](int) { closeAsTheCloseBoxDoes(window); });
        QTimer::singleShot(0, [] { ::kill(::getpid(), SIGHUP); });
        QMessageBox box(QMessageBox::NoIcon, "stela", "notice", QMessageBox::Ok);
        box.exec();  // returns only once dismissed
        EXPECT_FALSE(window.isVisible());
    }
    struct sigaction after {};
    ::sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace stela
