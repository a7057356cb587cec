#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "app/Messages.h"
#include "serial/TComPort.h"
#include "workflows/Journal.h"
#include "workflows/PriceRows.h"
#include "workflows/WorkflowObserver.h"
#include "workflows/Workflows.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace stela {

class MaskedEdit;

// What the window is assembled from. The program's start makes the real parts
// (app/Composition.h); tests make their own.
struct MainFormParts {
    // The one serial port object, with the sign's line settings.
    std::unique_ptr<TCustomComPort> port;
    // The workflows behind the buttons, made once the window (their observer) exists.
    std::function<std::unique_ptr<Workflows>(WorkflowObserver& observer, TCustomComPort& port)>
        workflows;
    std::unique_ptr<MessagePresenter> presenter;
    // Where the operation log is kept as well (none in most tests).
    std::unique_ptr<Journal> journal;
};

// The main window: every control the operator sees or a workflow reads or
// writes, at fixed positions in a client area of 881 x 376. The operation log
// lies below that area and is seen only when the window is maximized; it keeps
// the last kLogLines lines, the journal every one.
//
// The window owns the parts it is given: the port object and the workflows on
// it. It runs them from its click handlers, shows what escapes them in the
// error report, follows them as their observer and paints what they return.
class TMainForm : public QWidget, public WorkflowObserver {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{881, 376};
    static constexpr int kLogLines = 10000;

    explicit TMainForm(MainFormParts parts, QWidget* parent = nullptr);
    ~TMainForm() override;

    TCustomComPort& ComPort() { return *comPort_; }
    // From now on every log line goes to `out` as well: after a signal nobody
    // may see the window, and how a stopped write left the sign must be said.
    void echoLogTo(std::ostream& out) { logEcho_ = &out; }

    // Runs before the window is first shown: the board search, then the log
    // is cleared of "Mem", "o1" and the search's lines (unless the search
    // failed with an error, which the error report has shown).
    void FormCreate();

    void Button1Click();   // "Выход": closes the window, which ends the program
    void Button2Click();   // "Настроить COM - порт."
    void Button5Click();   // "Яркость автоматическая"
    void Button6Click();   // "Яркость ручная"
    void effectClick();    // "Эффект"
    void Button7Click();   // "Прочитать"
    void Button8Click();   // "Записать", then the read-back of Button7Click
    void Button36Click();  // "Поиск табло"

    // WorkflowObserver
    void appendLog(const std::string& line) override { appendTagged({}, line); }
    void appendTagged(const LogTag& tag, const std::string& line) override;
    void appendJournalOnly(const LogTag& tag, const std::string& line) override;
    void progress(int step) override;
    // The read-back label: the price green, or "XX.XX" red; a framed reply
    // also refills its row (rowRefill).
    void halfRead(int row, Half half, const HalfRead& read) override;
    bool stopNow() override;
    void betweenHalves() override;

    void clearLog();
    // The seven buttons that writing and reading lock while they run.
    void setBusySetEnabled(bool enabled);
    // A price row's five inputs: the price field (its masked value, "dd.dd"
    // with a blank for every empty place and every 0 digit: "  .  " when
    // empty, "1 . 5" for 10.05), the not-used box, the caption-1 box, the
    // grade selection and the caption-2 box.
    PriceRowInputs rowInputs(int row);
    // With marks, the grade selection and the caption boxes first; then the
    // price field's text.
    void refillRow(int row, const std::string& priceText, const std::optional<RowMarks>& marks);
    void notice(const std::string& text);
    void errorReport(const std::string& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct PriceRow {
        MaskedEdit* price;
        QCheckBox* notUsed;
        QCheckBox* caption1;
        QComboBox* grade;
        QCheckBox* caption2;
        QLabel* firstHalf;
        QLabel* secondHalf;
    };

    void createControls();
    void setKeyboardOrder();
    PriceRow& row(int number) { return rows_.at(static_cast<std::size_t>(number - 1)); }
    bool runWorkflow(const std::function<void()>& workflow);
    // Runs a write or read with the busy set disabled; an error or a stop
    // gives the buttons back before it goes on.
    void withBusySetLocked(const std::function<void()>& workflow);
    // The search, its notice and the status line.
    void boardSearch();
    // A one-digit field's level: 0 when empty.
    int digitLevel(const MaskedEdit* field) const;
    // The error report: the error's message, then a line of help if any.
    void reportError(const std::string& message, const std::string& hint);
    void holdNormalSize();
    // An operation has ended: its lines go to the journal. A journal that
    // cannot be written is said once in the log, until it can again.
    void flushJournal();

    // Declared before the workflows, which use it until they are gone.
    std::unique_ptr<TCustomComPort> comPort_;
    std::unique_ptr<Workflows> workflows_;
    int workflowsRunning_ = 0;     // the effect can run inside a write or read
    bool closeRequested_ = false;  // while a workflow runs; it closes the window as it ends
    std::unique_ptr<MessagePresenter> presenter_;
    std::unique_ptr<Journal> journal_;
    bool journalFailing_ = false;
    std::ostream* logEcho_ = nullptr;
    std::array<PriceRow, 5> rows_{};
    std::array<QPushButton*, 7> busySet_{};
    QWidget* focusBeforeBusy_ = nullptr;  // a busy button that had the focus
    MaskedEdit* brightnessDigit_ = nullptr;
    MaskedEdit* effectDigit_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QStatusBar* status_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QTimer sizeHold_;
    bool shownBefore_ = false;
};

}  // namespace stela
