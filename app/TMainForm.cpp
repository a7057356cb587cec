#include "app/TMainForm.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "app/AppTexts.h"
#include "app/MaskedEdit.h"
#include "app/PylonIcon.h"
#include "app/WindowsFonts.h"
#include "diagnostics/PortTrouble.h"
#include "serial/EComPort.h"
#include "workflows/Notices.h"
#include "workflows/PriceRows.h"

namespace stela {
namespace {

const QStringList& kDefaultFamilies = kMsSansSerifFamilies;
const QStringList& kLabelFamilies = kArialFamilies;

// A text of the window, in the operator's language.
QString text(const char* utf8) {
    return QString::fromStdString(translateDefault(utf8));
}

template <class W>
W* place(W* widget, const char* name, QRect geometry, const char* hint = nullptr) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    if (hint) {
        widget->setToolTip(text(hint));
    }
    return widget;
}

QGroupBox* addGroup(QWidget* parent, const char* name, QRect geometry, const char* caption) {
    return place(new QGroupBox(text(caption), parent), name, geometry);
}

QPushButton* addButton(QWidget* parent, const char* name, QRect geometry, const char* caption,
                       const char* hint) {
    auto* button = place(new QPushButton(text(caption), parent), name, geometry, hint);
    button->setAutoDefault(true);  // Enter presses the focused button, as Space does
    return button;
}

QCheckBox* addCheckBox(QWidget* parent, const char* name, QRect geometry, const char* caption,
                       const char* hint = nullptr) {
    return place(new QCheckBox(text(caption), parent), name, geometry, hint);
}

MaskedEdit* addMaskedEdit(QWidget* parent, const char* name, QRect geometry, const char* layout,
                          int pixelSize, const char* hint = nullptr) {
    auto* edit = place(new MaskedEdit(QLatin1String(layout), parent), name, geometry, hint);
    edit->setFont(pixelFont(kDefaultFamilies, pixelSize));
    return edit;
}

QLabel* addReadbackLabel(QWidget* parent, const char* name, QRect geometry) {
    auto* label = place(new QLabel(QStringLiteral("---"), parent), name, geometry);
    label->setTextFormat(Qt::PlainText);  // its text comes from the line
    label->setAlignment(Qt::AlignCenter);
    label->setFont(pixelFont(kLabelFamilies, 21));
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(palette);
    return label;
}

// One price row: its controls' names and the tops of its field, its boxes and
// its two read-back labels. Rows run from 1 at the top.
struct RowLayout {
    const char* price;
    const char* notUsed;
    const char* caption1;
    const char* grade;
    const char* caption2;
    const char* firstHalf;
    const char* secondHalf;
    int fieldTop, boxTop, firstTop, secondTop;
};

constexpr RowLayout kRows[] = {
    {"MaskEdit1", "CheckBox1", "CheckBox2", "ComboBox1", "CheckBox11", "Label10", "Label11", 25, 32,
     15, 15},
    {"MaskEdit3", "CheckBox5", "CheckBox7", "ComboBox2", "CheckBox12", "Label14", "Label8", 65, 72,
     56, 55},
    {"MaskEdit4", "CheckBox4", "CheckBox8", "ComboBox3", "CheckBox13", "Label13", "Label4", 105,
     112, 96, 95},
    {"MaskEdit5", "CheckBox6", "CheckBox9", "ComboBox4", "CheckBox14", "Label12", "Label3", 145,
     152, 136, 135},
    {"MaskEdit6", "CheckBox3", "CheckBox10", "ComboBox5", "CheckBox15", "Label9", "Label2", 185,
     192, 175, 175},
};

constexpr const char* kKeyboardOrder[] = {
    "Button2",   "Button1",   "Button36",  "MaskEdit3",  "MaskEdit4", "MaskEdit5", "MaskEdit6",
    "Button8",   "MaskEdit1", "CheckBox2", "CheckBox7",  "CheckBox8", "CheckBox9", "CheckBox10",
    "Button7",   "Memo1",     "CheckBox3", "CheckBox6",  "CheckBox4", "CheckBox5", "Button6",
    "MaskEdit7", "Button5",   "effect",    "del_effect", "CheckBox1",
};

constexpr const char* kEffectHint = markDefault(
    "Для включения эффекта введите значение от 1 - 9  \r\n"
    "Число от 1 до 9 время в секундах между \"пробеганием\" эффекта\r\n"
    "0 выключение ээфекта ");

}  // namespace

TMainForm::TMainForm(MainFormParts parts, QWidget* parent)
    : QWidget(parent),
      comPort_(std::move(parts.port)),
      presenter_(std::move(parts.presenter)),
      journal_(std::move(parts.journal)) {
    setWindowTitle(text(kMainWindowCaption) + QStringLiteral("  ") + text(kMakerSite));
    setWindowIcon(pylonIcon());
    setFont(pixelFont(kDefaultFamilies, 11));
    resize(kClientSize);
    // The operator cannot drag the size, yet maximizing must still work.
    // Window managers refuse to maximize a window whose minimum and maximum
    // sizes agree, so only the minimum is set and the window takes its size
    // back whenever it is resized while not maximized (see holdNormalSize).
    setMinimumSize(kClientSize);
    sizeHold_.setSingleShot(true);
    sizeHold_.setInterval(0);
    connect(&sizeHold_, &QTimer::timeout, this, &TMainForm::holdNormalSize);

    createControls();
    setKeyboardOrder();
    workflows_ = parts.workflows(*this, *comPort_);
}

TMainForm::~TMainForm() = default;

void TMainForm::createControls() {
    // Siblings created later lie in front: the read button, the not-used boxes
    // and the read-back groups in front of "Ввод данных", the progress bar in
    // front of the status line.
    auto* input = addGroup(this, "GroupBox5", {8, 0, 865, 249}, markDefault("Ввод данных"));
    auto* write = addButton(input, "Button8", {24, 160, 81, 25}, markDefault("Записать"),
                            markDefault("Записать данные в стелу."));
    auto* read =
        addButton(this, "Button7", {24, 48, 89, 25}, markDefault("Прочитать"),
                  markDefault("Прочитать данные из стелы. Прочитанные значения отображены в полях "
                              "справа."));
    auto* firstHalves =
        addGroup(this, "GroupBox6", {624, 16, 105, 217}, markDefault("Первая половина"));
    auto* secondHalves =
        addGroup(this, "GroupBox7", {744, 16, 105, 217}, markDefault("Вторая половина"));

    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const RowLayout& r = kRows[i];
        PriceRow& controls = rows_[i];
        controls.price = addMaskedEdit(input, r.price, {520, r.fieldTop, 57, 32}, "99.99", 19,
                                       markDefault("Введите значение цен."));
        controls.caption1 = addCheckBox(input, r.caption1, {312, r.boxTop, i == 0 ? 81 : 73, 17},
                                        markDefault("Надпись 1"));
        // The grade and the second caption flag travel between reading and
        // writing; the operator never sees or changes them.
        controls.grade = place(new QComboBox(input), r.grade, {400, r.fieldTop + 5, 65, 21});
        for (const char* grade : kGradeNames) {
            controls.grade->addItem(QString::fromUtf8(grade));  // never translated
        }
        controls.grade->setCurrentIndex(0);
        controls.caption2 =
            addCheckBox(input, r.caption2, {232, r.boxTop, 73, 17}, markDefault("Надпись 2"));
        for (QWidget* hidden :
             {static_cast<QWidget*>(controls.grade), static_cast<QWidget*>(controls.caption2)}) {
            hidden->setEnabled(false);
            hidden->hide();
        }
        controls.notUsed =
            addCheckBox(this, r.notUsed, {168, r.boxTop, 65, 17}, markDefault("Не исп."),
                        markDefault("Поставьте галочку для панелей без цены."));
        controls.firstHalf = addReadbackLabel(firstHalves, r.firstHalf, {16, r.firstTop, 73, 26});
        controls.secondHalf =
            addReadbackLabel(secondHalves, r.secondHalf, {16, r.secondTop, 73, 26});
    }

    auto* port = addGroup(this, "GroupBox2", {496, 256, 377, 65}, markDefault("Настройки порта"));
    auto* search = addButton(port, "Button36", {32, 24, 97, 25}, markDefault("Поиск табло"),
                             markDefault("Автоматический поиск табло и открытие порта."));
    auto* setup = addButton(port, "Button2", {224, 24, 137, 25},
                            markDefault("Настроить COM - порт."), markDefault("Настройка порта"));
    // Beyond the group's right edge and so out of sight; Tab still reaches it.
    auto* exit = addButton(port, "Button1", {440, 24, 81, 25}, markDefault("Выход"),
                           markDefault("Выйти из программы"));

    auto* brightness = addGroup(this, "GroupBox4", {8, 256, 481, 97}, markDefault("Яркость"));
    auto* automatic =
        addButton(brightness, "Button5", {48, 24, 153, 25}, markDefault("Яркость автоматическая"),
                  markDefault("Включение автоматической регулировки яркости."));
    auto* manual =
        addButton(brightness, "Button6", {232, 24, 105, 25}, markDefault("Яркость ручная"),
                  markDefault("Включение ручной регулировкия яркости. Значения от 0 до 9 введите "
                              "в поле справа."));
    brightnessDigit_ = addMaskedEdit(brightness, "MaskEdit7", {384, 21, 25, 24}, "9", 13);
    auto* effect =
        addButton(brightness, "effect", {232, 64, 105, 25}, markDefault("Эффект"), kEffectHint);
    effectDigit_ = addMaskedEdit(brightness, "del_effect", {384, 64, 25, 24}, "9", 13, kEffectHint);

    status_ = place(new QStatusBar(this), "StatusBar1", {8, 352, 865, 17});
    status_->setSizeGripEnabled(false);
    progress_ = place(new QProgressBar(this), "ProgressBar1", {8, 352, 865, 17});
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    log_ = place(new QPlainTextEdit(this), "Memo1", {8, 376, 505, 217});
    log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    log_->setTabChangesFocus(true);
    // The oldest lines go, and their memory with them; the journal keeps them.
    log_->setMaximumBlockCount(kLogLines);
    log_->setPlainText(QStringLiteral("Mem\no1"));

    busySet_ = {automatic, read, write, manual, search, setup, exit};

    connect(exit, &QPushButton::clicked, this, &TMainForm::Button1Click);
    connect(setup, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(automatic, &QPushButton::clicked, this, &TMainForm::Button5Click);
    connect(manual, &QPushButton::clicked, this, &TMainForm::Button6Click);
    connect(effect, &QPushButton::clicked, this, &TMainForm::effectClick);
    connect(read, &QPushButton::clicked, this, &TMainForm::Button7Click);
    connect(write, &QPushButton::clicked, this, &TMainForm::Button8Click);
    connect(search, &QPushButton::clicked, this, &TMainForm::Button36Click);
}

void TMainForm::setKeyboardOrder() {
    QWidget* previous = nullptr;
    for (const char* name : kKeyboardOrder) {
        auto* next = findChild<QWidget*>(QLatin1String(name));
        if (previous) {
            setTabOrder(previous, next);
        }
        previous = next;
    }
}

// An error that escapes a workflow ends its handler and goes to the error
// report. Returns whether the workflow ran to its end.
bool TMainForm::runWorkflow(const std::function<void()>& workflow) {
    if (!workflows_ || closeRequested_) {
        return false;
    }
    ++workflowsRunning_;
    bool completed = false;
    try {
        workflow();
        completed = true;
    } catch (const WorkflowStopped&) {
        // The window is closing: nothing to report.
    } catch (const EComPort& error) {
        reportError(error.what(), portTroubleHint(error, comPort_->Address()));
    } catch (const std::exception& error) {
        errorReport(error.what());
    } catch (...) {
        errorReport(std::string());
    }
    --workflowsRunning_;
    flushJournal();
    if (closeRequested_ && workflowsRunning_ == 0) {
        close();
    }
    return completed;
}

void TMainForm::withBusySetLocked(const std::function<void()>& workflow) {
    setBusySetEnabled(false);
    try {
        workflow();
    } catch (...) {
        // The operator must be able to search again after re-plugging the cable.
        setBusySetEnabled(true);
        throw;
    }
}

// A close asked for while a write or read lets events through is put off
// until the workflow has stopped at its next safe point (see stopNow); the
// window stays up and painting until then.
void TMainForm::closeEvent(QCloseEvent* event) {
    if (workflowsRunning_ > 0) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TMainForm::FormCreate() {
    if (runWorkflow([this] { boardSearch(); })) {
        clearLog();
    }
}

void TMainForm::Button1Click() {
    close();
}

// Neither logs nor touches the status line. The settings chosen are applied
// even when storing them fails; a store and an open that both fail are one
// report, each error with its hint, the store's first.
void TMainForm::Button2Click() {
    runWorkflow([this] {
        const SetupOutcome setup = workflows_->portSetup();
        std::string text;
        for (const std::optional<EComPort>* error : {&setup.storeError, &setup.openError}) {
            if (*error) {
                text += (text.empty() ? "" : "\n") +
                        errorReportText((*error)->what(),
                                        portTroubleHint(**error, comPort_->Address()));
            }
        }
        if (!text.empty()) {
            presenter_->errorReport(QString::fromStdString(text));
        }
    });
}

void TMainForm::Button5Click() {
    runWorkflow([this] { notice(commandNotice(workflows_->automaticBrightness())); });
}
void TMainForm::Button6Click() {
    runWorkflow([this] {
        notice(commandNotice(workflows_->manualBrightness(digitLevel(brightnessDigit_))));
    });
}
void TMainForm::effectClick() {
    runWorkflow([this] { notice(commandNotice(workflows_->effect(digitLevel(effectDigit_)))); });
}

void TMainForm::Button7Click() {
    runWorkflow([this] {
        withBusySetLocked([this] { workflows_->readPrices(); });
        setBusySetEnabled(true);
    });
}

// A row's inputs are taken as the write comes to it.
void TMainForm::Button8Click() {
    const bool written = runWorkflow([this] {
        withBusySetLocked(
            [this] { workflows_->writePrices([this](int row) { return rowInputs(row); }); });
    });
    if (written) {
        Button7Click();
    }
}

void TMainForm::Button36Click() {
    runWorkflow([this] { boardSearch(); });
}

// The notice first; then the port found is worked on, unless it would not
// open again.
void TMainForm::boardSearch() {
    const SearchOutcome search = workflows_->boardSearch();
    notice(searchNotice(search));
    if (search.openError) {
        throw *search.openError;
    }
    if (!search.port.empty()) {
        status_->showMessage(QString::fromStdString(workingOnText(search.port)));
    }
}

void TMainForm::showEvent(QShowEvent* event) {
    if (!shownBefore_ && isWindow()) {
        shownBefore_ = true;
        const QRect screenArea = screen()->availableGeometry();
        move(screenArea.center() - QPoint(width() / 2, height() / 2));
    }
    QWidget::showEvent(event);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Checked once the events at hand are handled: a window manager may
    // deliver the new size of a maximized window before its new state.
    sizeHold_.start();
}

void TMainForm::holdNormalSize() {
    const auto grown = Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized;
    if (isWindow() && !(windowState() & grown) && size() != kClientSize) {
        resize(kClientSize);
    }
}

void TMainForm::appendTagged(const LogTag& tag, const std::string& line) {
    log_->appendPlainText(QString::fromStdString(line));
    appendJournalOnly(tag, line);
    if (logEcho_ != nullptr) {
        *logEcho_ << line << std::endl;
    }
}

void TMainForm::appendJournalOnly(const LogTag& tag, const std::string& line) {
    if (journal_) {
        journal_->appendTagged(tag, line);
    }
}

void TMainForm::flushJournal() {
    if (!journal_ || workflowsRunning_ > 0) {
        return;  // the effect run inside a write belongs to the write
    }
    const std::string failure = journal_->flush();
    if (!failure.empty() && !journalFailing_) {
        log_->appendPlainText(QString::fromStdString(
            translateDefault("--- Журнал операций не записан: ") + failure + " ---"));
    }
    journalFailing_ = !failure.empty();
}

void TMainForm::clearLog() {
    log_->clear();
}

void TMainForm::progress(int step) {
    progress_->setRange(0, kProgressSteps);
    progress_->setValue(step);
}

bool TMainForm::stopNow() {
    QCoreApplication::processEvents();
    return closeRequested_;
}

// Repaints and the port's event deliveries only: input waits for the row's
// end, and so does the platform's look at its display, which ends the program
// at once when the display has gone away ("The X11 connection broke").
void TMainForm::betweenHalves() {
    QCoreApplication::sendPostedEvents();
}

void TMainForm::setBusySetEnabled(bool enabled) {
    // Disabling the focused button hands the focus on (to the log, after
    // "Прочитать"); it comes back with the buttons, so that Space repeats the
    // command and no caret blinks in the log for nothing.
    QWidget* focused = QApplication::focusWidget();
    if (!enabled && std::find(busySet_.begin(), busySet_.end(), focused) != busySet_.end()) {
        focusBeforeBusy_ = focused;
    }
    for (QPushButton* button : busySet_) {
        button->setEnabled(enabled);
    }
    if (enabled && focusBeforeBusy_) {
        focusBeforeBusy_->setFocus(Qt::OtherFocusReason);
        focusBeforeBusy_ = nullptr;
    }
}

PriceRowInputs TMainForm::rowInputs(int number) {
    const PriceRow& r = row(number);
    PriceRowInputs in;
    in.priceText = r.price->valueText().toStdString();
    in.notUsed = r.notUsed->isChecked();
    in.caption1 = r.caption1->isChecked();
    in.gradeIndex = r.grade->currentIndex();
    in.caption2 = r.caption2->isChecked();
    return in;
}

void TMainForm::refillRow(int number, const std::string& priceText,
                          const std::optional<RowMarks>& marks) {
    PriceRow& r = row(number);
    if (marks) {
        const bool listed = marks->gradeIndex >= 0 && marks->gradeIndex < r.grade->count();
        r.grade->setCurrentIndex(listed ? marks->gradeIndex : -1);
        r.caption1->setChecked(marks->caption1);
        r.caption2->setChecked(marks->caption2);
    }
    r.price->setValueText(QString::fromStdString(priceText));
}

void TMainForm::halfRead(int number, Half half, const HalfRead& read) {
    const std::optional<RowRefill> refill = rowRefill(number, half, read);
    QLabel* label = half == Half::First ? row(number).firstHalf : row(number).secondHalf;
    label->setText(refill ? QString::fromStdString(refill->priceText) : QStringLiteral("XX.XX"));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, refill ? QColor(0, 255, 0) : QColor(255, 0, 0));
    label->setPalette(palette);
    if (refill) {
        refillRow(number, refill->priceText, refill->marks);
    }
}

// A one-digit field reads " " when empty or 0, else its digit.
int TMainForm::digitLevel(const MaskedEdit* field) const {
    const QString digit = field->valueText();
    return digit.size() == 1 && digit[0] >= QLatin1Char('1') && digit[0] <= QLatin1Char('9')
               ? digit[0].digitValue()
               : 0;
}

void TMainForm::notice(const std::string& text) {
    presenter_->notice(QString::fromStdString(text));
}

void TMainForm::errorReport(const std::string& text) {
    reportError(text, {});
}

void TMainForm::reportError(const std::string& message, const std::string& hint) {
    presenter_->errorReport(QString::fromStdString(errorReportText(message, hint)));
}

}  // namespace stela
