#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "app/Messages.h"
#include "console/ConsoleView.h"
#include "console/Journal.h"
#include "console/Workflows.h"
#include "serial/TComPort.h"

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
    // The workflows behind the buttons, made once the window (their view) exists.
    std::function<std::unique_ptr<Workflows>(ConsoleView& view, TCustomComPort& port)> workflows;
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
// error report, and is the ConsoleView the workflows report through.
class TMainForm : public QWidget, public ConsoleView {
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

    // ConsoleView
    void appendLog(const std::string& line) override;
    void clearLog() override;
    void setStatusText(const std::string& text) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressPosition(int value) override;
    bool processPendingEvents() override;
    void setBusySetEnabled(bool enabled) override;
    PriceRowInputs rowInputs(int row) override;
    void refillRow(int row, const std::string& priceText,
                   const std::optional<RowMarks>& marks) override;
    void showReadback(int row, Half half, const std::string& text, Rgb color) override;
    std::string digitText(DigitField field) override;
    void notice(const std::string& text) override;
    void errorReport(const std::string& text) override;

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
    bool runWorkflow(void (Workflows::*workflow)());
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
