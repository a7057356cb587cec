// The signals that would end the program reach the window through the event
// loop and close it as its close box does.
#include "app/TerminationSignals.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <csignal>
#include <iterator>
#include <vector>

#include "tests/app/SimulatedSignParts.h"

namespace stela {
namespace {

class NoPresenter : public MessagePresenter {
public:
    void notice(const QString&) override {}
    void errorReport(const QString&) override {}
};

// As sigqueue(3) from another process (pid 1) delivers it: a fault or SIGXFSZ
// the program raised itself would keep its own action.
void sendFromOutside(const std::vector<int>& sent) {
    for (int signal : sent) {
        siginfo_t info{};
        info.si_code = SI_QUEUE;
        info.si_pid = 1;
        ::syscall(SYS_rt_sigqueueinfo, ::getpid(), signal, &info);
    }
}

// The real console on a simulated sign; the signals come as the n-th step of
// the write logs its frame (1: before the write). TERM then HUP is what
// systemd sends at a logout or shutdown: the second is the same stop.
TEST(TerminationSignals, ASignalAtAnyStepOfAWriteLeavesEveryPanelWhole) {
    const std::vector<int> kinds[] = {
        {SIGTERM, SIGHUP}, {SIGTERM},   {SIGHUP},    {SIGINT},   {SIGQUIT}, {SIGPIPE}, {SIGUSR1},
        {SIGUSR2},         {SIGALRM},   {SIGVTALRM}, {SIGPROF},  {SIGXCPU}, {SIGXFSZ}, {SIGIO},
        {SIGPWR},          {SIGSTKFLT}, {SIGRTMIN},  {SIGRTMAX}, {SIGSEGV}, {SIGBUS},  {SIGILL},
        {SIGFPE},          {SIGABRT},   {SIGTRAP},   {SIGSYS}};
    const int count = static_cast<int>(std::size(kinds));
    // Rows written: the row in progress is finished, and no other begun.
    const int rowsWritten[] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 5};
    for (int i = 0; i < 10 * count; ++i) {
        const int n = i / count + 1;
        const std::vector<int>& sent = kinds[i % count];
        SCOPED_TRACE(testing::Message() << "step " << n << ", signal " << sent[0]);
        test::VirtualClock clock;
        test::SimComDevice* sim = nullptr;
        TMainForm window(test::simulatedSignParts(clock, sim, std::make_unique<NoPresenter>()));
        SignModel& sign = *sim->sign("COM3");
        TerminationSignals terminations([&](int) { closeAsTheCloseBoxDoes(window); });
        for (int row = 1; row <= 5; ++row) {
            window.refillRow(row, "12.34", std::nullopt);
        }
        window.show();
        if (n == 1) {
            sendFromOutside(sent);
        }
        QPlainTextEdit* log = window.findChild<QPlainTextEdit*>("Memo1");
        int steps = 0;
        QObject::connect(log->document(), &QTextDocument::blockCountChanged, &window, [&] {
            if (log->document()->lastBlock().text().startsWith(QString::fromUtf8("Запишу")) &&
                ++steps == n) {
                sendFromOutside(sent);
            }
        });
        window.Button8Click();

        EXPECT_TRUE(TerminationSignals::received() == sent.front() ||
                    TerminationSignals::received() == sent.back());
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
