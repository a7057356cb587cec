#include "app/TMainForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "app/Composition.h"
#include "app/MaskedEdit.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "tests/app/SimulatedSignParts.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/SimComDevice.h"
#include "tests/support/TestLanguage.h"
#include "workflows/Console.h"
#include "workflows/SignPort.h"

namespace stela {
namespace {

struct Shown {
    bool error;
    QString text;
};

class RecordingPresenter : public MessagePresenter {
public:
    explicit RecordingPresenter(std::vector<Shown>& shown) : shown_(shown) {}
    void notice(const QString& text) override { shown_.push_back({false, text}); }
    void errorReport(const QString& text) override { shown_.push_back({true, text}); }

private:
    std::vector<Shown>& shown_;
};

// Records which workflow ran; the one named in failing throws as a serial error would.
class FakeWorkflows : public Workflows {
public:
    FakeWorkflows(std::vector<std::string>& ran, const std::string& failing, TCustomComPort& port)
        : ran_(ran), failing_(failing), port_(port) {}
    SearchOutcome boardSearch() override { return run("search", SearchOutcome{}); }
    CommandOutcome automaticBrightness() override { return run("automatic", CommandOutcome{}); }
    CommandOutcome manualBrightness(int) override { return run("manual", CommandOutcome{}); }
    CommandOutcome effect(int) override {
        CommandOutcome outcome;
        outcome.command = CommandOutcome::Command::Effect;
        return run("effect", outcome);
    }
    WriteOutcome writePrices(const PriceRows&) override { return run("write", WriteOutcome{}); }
    ReadOutcome readPrices() override { return run("read", ReadOutcome{}); }
    SetupOutcome portSetup() override {
        SetupOutcome outcome;
        if (failing_ == "store and open") {
            const StoreFailure readOnly{StoreFailure::Kind::ReadOnlyFile, EACCES, "/r.reg", {}};
            outcome.storeError = EComPort(EComPort::kStoreFailed, readOnly);
            outcome.openError = EComPort(EComPort::kLineSettingsFailed, EINVAL);
        }
        return run("setup", outcome);
    }

private:
    template <class Outcome>
    Outcome run(const std::string& name, Outcome outcome) {
        ran_.push_back(name);
        if (name == failing_) {
            throw std::runtime_error("Unable to open com port");
        }
        if (failing_ == "no port") {
            throw EComPort(EComPort::kPurgeFailed, ownFailure(FailureKind::NotOpen));
        }
        if (failing_ == "no access") {  // an open the system refuses
            port_.OnBeforeOpen = [](TCustomComPort&) {
                throw EComPort(EComPort::kOpenFailed, EACCES);
            };
            port_.Open();
        }
        return outcome;
    }
    std::vector<std::string>& ran_;
    const std::string& failing_;
    TCustomComPort& port_;
};

class TMainFormTest : public ::testing::Test {
protected:
    // A closed port that is never opened, fake workflows and recorded messages.
    MainFormParts parts() {
        MainFormParts p;
        p.port = std::make_unique<TComPort>();
        p.workflows = [this](WorkflowObserver&, TCustomComPort& port) {
            return std::make_unique<FakeWorkflows>(ran, failing, port);
        };
        p.presenter = std::make_unique<RecordingPresenter>(shown);
        return p;
    }

    template <class W = QWidget>
    W* child(const char* name) {
        auto* widget = form.findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void showActive() {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    // The window takes its size back once pending events are handled.
    bool keepsItsSize() {
        return QTest::qWaitFor([this] { return form.size() == TMainForm::kClientSize; }, 1000);
    }
    QStringList logLines() { return child<QPlainTextEdit>("Memo1")->toPlainText().split('\n'); }

    std::vector<Shown> shown;
    std::vector<std::string> ran;
    std::string failing;  // the workflow that throws
    TMainForm form{parts()};
};

QString captionOf(QWidget* widget) {
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        return box->title();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* edit = qobject_cast<MaskedEdit*>(widget)) {
        return edit->valueText();
    }
    return {};
}

struct Control {
    const char* name;
    const char* parent;  // nullptr: the window
    QRect geometry;
    const char* caption;
    const char* hint;
};

const char kPriceHint[] = "Введите значение цен.";
const char kNotUsedHint[] = "Поставьте галочку для панелей без цены.";
const char kEffectHint[] =
    "Для включения эффекта введите значение от 1 - 9  \r\n"
    "Число от 1 до 9 время в секундах между \"пробеганием\" эффекта\r\n"
    "0 выключение ээфекта ";

const Control kControls[] = {
    {"GroupBox5", nullptr, {8, 0, 865, 249}, "Ввод данных", ""},
    {"Button8", "GroupBox5", {24, 160, 81, 25}, "Записать", "Записать данные в стелу."},
    {"Button7",
     nullptr,
     {24, 48, 89, 25},
     "Прочитать",
     "Прочитать данные из стелы. Прочитанные значения отображены в полях справа."},
    {"GroupBox6", nullptr, {624, 16, 105, 217}, "Первая половина", ""},
    {"GroupBox7", nullptr, {744, 16, 105, 217}, "Вторая половина", ""},
    {"GroupBox2", nullptr, {496, 256, 377, 65}, "Настройки порта", ""},
    {"Button36",
     "GroupBox2",
     {32, 24, 97, 25},
     "Поиск табло",
     "Автоматический поиск табло и открытие порта."},
    {"Button2", "GroupBox2", {224, 24, 137, 25}, "Настроить COM - порт.", "Настройка порта"},
    {"Button1", "GroupBox2", {440, 24, 81, 25}, "Выход", "Выйти из программы"},
    {"GroupBox4", nullptr, {8, 256, 481, 97}, "Яркость", ""},
    {"Button5",
     "GroupBox4",
     {48, 24, 153, 25},
     "Яркость автоматическая",
     "Включение автоматической регулировки яркости."},
    {"Button6",
     "GroupBox4",
     {232, 24, 105, 25},
     "Яркость ручная",
     "Включение ручной регулировкия яркости. Значения от 0 до 9 введите в поле справа."},
    {"MaskEdit7", "GroupBox4", {384, 21, 25, 24}, " ", ""},
    {"effect", "GroupBox4", {232, 64, 105, 25}, "Эффект", kEffectHint},
    {"del_effect", "GroupBox4", {384, 64, 25, 24}, " ", kEffectHint},
    {"ProgressBar1", nullptr, {8, 352, 865, 17}, "", ""},
    {"StatusBar1", nullptr, {8, 352, 865, 17}, "", ""},
    {"Memo1", nullptr, {8, 376, 505, 217}, "", ""},
    // Price rows 1 to 5: field, caption-1 box, not-used box, the two read-back labels.
    {"MaskEdit1", "GroupBox5", {520, 25, 57, 32}, "  .  ", kPriceHint},
    {"MaskEdit3", "GroupBox5", {520, 65, 57, 32}, "  .  ", kPriceHint},
    {"MaskEdit4", "GroupBox5", {520, 105, 57, 32}, "  .  ", kPriceHint},
    {"MaskEdit5", "GroupBox5", {520, 145, 57, 32}, "  .  ", kPriceHint},
    {"MaskEdit6", "GroupBox5", {520, 185, 57, 32}, "  .  ", kPriceHint},
    {"CheckBox2", "GroupBox5", {312, 32, 81, 17}, "Надпись 1", ""},
    {"CheckBox7", "GroupBox5", {312, 72, 73, 17}, "Надпись 1", ""},
    {"CheckBox8", "GroupBox5", {312, 112, 73, 17}, "Надпись 1", ""},
    {"CheckBox9", "GroupBox5", {312, 152, 73, 17}, "Надпись 1", ""},
    {"CheckBox10", "GroupBox5", {312, 192, 73, 17}, "Надпись 1", ""},
    {"CheckBox1", nullptr, {168, 32, 65, 17}, "Не исп.", kNotUsedHint},
    {"CheckBox5", nullptr, {168, 72, 65, 17}, "Не исп.", kNotUsedHint},
    {"CheckBox4", nullptr, {168, 112, 65, 17}, "Не исп.", kNotUsedHint},
    {"CheckBox6", nullptr, {168, 152, 65, 17}, "Не исп.", kNotUsedHint},
    {"CheckBox3", nullptr, {168, 192, 65, 17}, "Не исп.", kNotUsedHint},
    {"Label10", "GroupBox6", {16, 15, 73, 26}, "---", ""},
    {"Label14", "GroupBox6", {16, 56, 73, 26}, "---", ""},
    {"Label13", "GroupBox6", {16, 96, 73, 26}, "---", ""},
    {"Label12", "GroupBox6", {16, 136, 73, 26}, "---", ""},
    {"Label9", "GroupBox6", {16, 175, 73, 26}, "---", ""},
    {"Label11", "GroupBox7", {16, 15, 73, 26}, "---", ""},
    {"Label8", "GroupBox7", {16, 55, 73, 26}, "---", ""},
    {"Label4", "GroupBox7", {16, 95, 73, 26}, "---", ""},
    {"Label3", "GroupBox7", {16, 135, 73, 26}, "---", ""},
    {"Label2", "GroupBox7", {16, 175, 73, 26}, "---", ""},
};

TEST_F(TMainFormTest, EveryControlHasItsParentPlaceCaptionAndHint) {
    for (const Control& c : kControls) {
        QWidget* widget = child(c.name);
        ASSERT_NE(widget, nullptr);
        const QWidget* parent = c.parent ? child(c.parent) : &form;
        EXPECT_EQ(widget->parentWidget(), parent) << c.name;
        EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
        EXPECT_EQ(captionOf(widget), QString::fromUtf8(c.caption)) << c.name;
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(c.hint)) << c.name;
    }
    // Later siblings lie in front: the progress bar covers the status line.
    const QObjectList& siblings = form.children();
    EXPECT_GT(siblings.indexOf(child("ProgressBar1")), siblings.indexOf(child("StatusBar1")));
    EXPECT_GT(siblings.indexOf(child("Button7")), siblings.indexOf(child("GroupBox5")));
}

TEST_F(TMainFormTest, WindowCaptionSizeAndFonts) {
    EXPECT_TRUE(
        form.windowTitle().startsWith(QString::fromUtf8("ОРВЕНА С520/640 - прошивка Д731  ")));
    EXPECT_EQ(form.size(), TMainForm::kClientSize);
    EXPECT_FALSE(form.windowIcon().isNull());

    const std::pair<const char*, int> pixelSizes[] = {
        {"Button8", 11},   {"CheckBox1", 11},  {"MaskEdit1", 19}, {"MaskEdit6", 19},
        {"MaskEdit7", 13}, {"del_effect", 13}, {"Label10", 21},   {"Label2", 21}};
    for (const auto& [name, pixels] : pixelSizes) {
        const QFontInfo font(child(name)->font());
        EXPECT_EQ(font.pixelSize(), pixels) << name;
        // "MS Sans Serif" and "Arial" are rarely installed; a fallback must be found.
        EXPECT_TRUE(QStringList({"MS Sans Serif", "Arial", "Liberation Sans", "DejaVu Sans"})
                        .contains(font.family()))
            << name << " " << font.family().toStdString();
    }
}

TEST_F(TMainFormTest, StartsWithEmptyFieldsRedLabelsAndTheFirstGrade) {
    EXPECT_EQ(child<QLineEdit>("MaskEdit3")->text(), QStringLiteral("00.00"));
    EXPECT_EQ(child<QLineEdit>("MaskEdit7")->text(), QStringLiteral("0"));
    for (const char* name : {"Label10", "Label2"}) {
        auto* label = child<QLabel>(name);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::black));
        EXPECT_TRUE(label->autoFillBackground());
        EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    }
    for (int row = 1; row <= 5; ++row) {
        auto* grade = child<QComboBox>(("ComboBox" + std::to_string(row)).c_str());
        auto* caption2 = child<QCheckBox>(("CheckBox" + std::to_string(10 + row)).c_str());
        const PriceRowInputs in = form.rowInputs(row);
        EXPECT_EQ(in.gradeIndex, 0);
        EXPECT_EQ(grade->count(), 5);
        EXPECT_EQ(grade->itemText(4), QString::fromUtf8("ДТ"));
        EXPECT_EQ(caption2->text(), QString::fromUtf8("Надпись 2"));
        EXPECT_FALSE(in.caption1 || in.caption2 || in.notUsed);
        for (QWidget* hidden : {static_cast<QWidget*>(grade), static_cast<QWidget*>(caption2)}) {
            EXPECT_FALSE(hidden->isVisibleTo(&form));
            EXPECT_FALSE(hidden->isEnabled());
        }
    }
    EXPECT_EQ(logLines(), QStringList({"Mem", "o1"}));
    auto* progress = child<QProgressBar>("ProgressBar1");
    EXPECT_EQ(std::make_tuple(progress->minimum(), progress->maximum(), progress->value()),
              std::make_tuple(0, 100, 0));
    EXPECT_TRUE(child<QStatusBar>("StatusBar1")->currentMessage().isEmpty());
}

TEST_F(TMainFormTest, TabVisitsTheControlsInTheirOrderAndReachesTheHiddenExit) {
    showActive();
    const QStringList expected = {
        "Button2",   "Button1",   "Button36",  "MaskEdit3",  "MaskEdit4", "MaskEdit5", "MaskEdit6",
        "Button8",   "MaskEdit1", "CheckBox2", "CheckBox7",  "CheckBox8", "CheckBox9", "CheckBox10",
        "Button7",   "Memo1",     "CheckBox3", "CheckBox6",  "CheckBox4", "CheckBox5", "Button6",
        "MaskEdit7", "Button5",   "effect",    "del_effect", "CheckBox1", "Button2"};
    child("Button2")->setFocus(Qt::TabFocusReason);
    QStringList visited{QApplication::focusWidget()->objectName()};
    while (visited.size() < expected.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);

    // "Выход" lies out of sight, yet Tab and Space reach it and end the program.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("Button1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(TMainFormTest, BusySetIsTheSevenButtons) {
    form.setBusySetEnabled(false);
    QStringList disabled;
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        if (!widget->isEnabled() && widget->isVisibleTo(&form)) {
            disabled << widget->objectName();
        }
    }
    disabled.sort();
    EXPECT_EQ(disabled, QStringList({"Button1", "Button2", "Button36", "Button5", "Button6",
                                     "Button7", "Button8"}));
    form.setBusySetEnabled(true);
    EXPECT_TRUE(child("Button8")->isEnabled() && child("Button1")->isEnabled());
}

TEST_F(TMainFormTest, AButtonOfTheBusySetGetsTheFocusBackWithTheButtons) {
    showActive();
    child("Button7")->setFocus();
    form.setBusySetEnabled(false);
    EXPECT_EQ(QApplication::focusWidget(), child("Memo1"));  // handed on while disabled
    form.setBusySetEnabled(true);
    EXPECT_EQ(QApplication::focusWidget(), child("Button7"));
}

TEST_F(TMainFormTest, RowsRunFromTheTopAndReachTheirOwnControls) {
    form.refillRow(1, "12.50", std::nullopt);
    form.refillRow(5, "--.--", RowMarks{4, true, false});
    form.refillRow(4, "00.00", RowMarks{1, false, true});
    child<QCheckBox>("CheckBox5")->setChecked(true);  // row 2's not-used box
    EXPECT_EQ(child<QLineEdit>("MaskEdit1")->text(), QStringLiteral("12.50"));
    const auto inputs = [this](int row) {
        const PriceRowInputs in = form.rowInputs(row);
        return std::make_tuple(in.priceText, in.notUsed, in.caption1, in.gradeIndex, in.caption2);
    };
    EXPECT_EQ(inputs(1), std::make_tuple("12.5 ", false, false, 0, false));
    EXPECT_EQ(inputs(2), std::make_tuple("  .  ", true, false, 0, false));
    EXPECT_EQ(inputs(4), std::make_tuple("  .  ", false, false, 1, true));
    // A later write sends "----" again.
    EXPECT_EQ(inputs(5), std::make_tuple("--.--", false, true, 4, false));
    EXPECT_EQ(child<QComboBox>("ComboBox5")->currentText(), QString::fromUtf8("ДТ"));
    EXPECT_TRUE(child<QCheckBox>("CheckBox10")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("CheckBox14")->isChecked());
    form.refillRow(2, "11.11", RowMarks{7, false, false});  // a code outside 1-5: no selection
    EXPECT_EQ(form.rowInputs(2).gradeIndex, -1);

    // A framed reply shows green and refills the price; any other red "XX.XX".
    HalfRead read{HalfVerdict::Answered,
                  parseReadReply(composeReadReply(':', "4567", '3', '1', "A0"))};
    form.halfRead(2, Half::Second, read);
    auto* label = child<QLabel>("Label8");
    EXPECT_EQ(label->text(), QStringLiteral("45.67"));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(form.rowInputs(2).priceText, "45.67");
    read.reply.framed = false;
    form.halfRead(2, Half::Second, read);
    EXPECT_EQ(label->text(), QStringLiteral("XX.XX"));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(child<QLabel>("Label12")->textFormat(), Qt::PlainText);  // bytes from the line

    EXPECT_THROW(form.rowInputs(0), std::out_of_range);
    EXPECT_THROW(form.refillRow(6, "", std::nullopt), std::out_of_range);
}

TEST_F(TMainFormTest, ButtonsRunTheirWorkflows) {
    for (const char* name :
         {"Button36", "Button2", "Button5", "Button6", "effect", "Button7", "Button8"}) {
        child<QPushButton>(name)->click();
    }
    EXPECT_EQ(ran, (std::vector<std::string>{"search", "setup", "automatic", "manual", "effect",
                                             "read", "write", "read"}));
    // The notices say what the outcomes say: no sign found, no command confirmed.
    QStringList notices;
    for (const Shown& s : shown) {
        notices << (s.error ? QStringLiteral("error: ") : QString()) + s.text;
    }
    EXPECT_EQ(notices, QStringList({"Табло не найдено. Проверьте кабель подключения табло",
                                    "Яркость не установлена.", "Яркость не установлена.",
                                    "Эффекты не включены"}));
}

TEST_F(TMainFormTest, AnEscapingErrorEndsTheHandlerInTheErrorReport) {
    failing = "write";
    child<QPushButton>("Button8")->click();
    EXPECT_EQ(ran, std::vector<std::string>{"write"});  // no read-back after the error
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].error);
    EXPECT_EQ(shown[0].text, QStringLiteral("Unable to open com port."));
}

TEST_F(TMainFormTest, ASerialErrorIsReportedWithItsMessageAndAHelpLineBelow) {
    failing = "no port";
    child<QPushButton>("Button7")->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.toStdString(),
              "PurgeComm function failed (win error code: " +
                  std::to_string(ownFailure(FailureKind::NotOpen).code()) +
                  ")\nПорт не открыт: нажмите «Поиск табло» или «Настроить COM - порт.».");
}

TEST_F(TMainFormTest, APortThatMayNotBeOpenedIsReportedWithTheWayToGetAccess) {
    test::ScopedConfigHome home;
    const std::string device = home.path() + "/ttyUSB0";
    std::ofstream(device).put('x');
    home.linkCom(1, device);  // the window's port is COM1
    failing = "no access";
    child<QPushButton>("Button2")->click();
    ASSERT_EQ(shown.size(), 1u);
    const QStringList lines = shown[0].text.split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Unable to open com port (win error code: 13)"));
    // A file of the user's own: no group to join, so who owns it and who may help.
    EXPECT_TRUE(
        lines[1].startsWith(QString::fromStdString("Нет доступа к " + device + " (владелец ")))
        << lines[1].toStdString();
    EXPECT_TRUE(
        lines[1].endsWith(QStringLiteral("доступ должен дать администратор или правило udev.")))
        << lines[1].toStdString();
}

TEST_F(TMainFormTest, AStoreAndAnOpenThatBothFailAreOneReportTheStoresFirst) {
    failing = "store and open";
    child<QPushButton>("Button2")->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.toStdString(),
              "Failed to store settings.\nФайл настроек /r.reg только для чтения; разрешите запись "
              "(chmod u+w) или оставьте как есть. Выбранные настройки порта применены, но не "
              "сохранены.\nSetCommState function failed (win error code: 22)");
}

TEST_F(TMainFormTest, FormCreateSearchesThenClearsTheLog) {
    form.FormCreate();
    EXPECT_EQ(ran, std::vector<std::string>{"search"});
    EXPECT_TRUE(child<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
}

TEST_F(TMainFormTest, FormCreateKeepsTheLogWhenTheSearchFails) {
    failing = "search";
    form.appendLog("--- Поиск табло --- ");
    form.FormCreate();
    EXPECT_EQ(logLines(), QStringList({"Mem", "o1", QString::fromUtf8("--- Поиск табло --- ")}));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].error);
}

TEST_F(TMainFormTest, CentredAtFirstShowAndMaximizableButNotResizable) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QRect screenArea = form.screen()->availableGeometry();
    EXPECT_LE((form.geometry().center() - screenArea.center()).manhattanLength(), 2);

    form.resize(1000, 500);  // as a drag on the frame would
    EXPECT_TRUE(keepsItsSize());

    form.showMaximized();
    QTest::qWait(20);
    EXPECT_GT(form.height(), TMainForm::kClientSize.height());
    EXPECT_FALSE(child("Memo1")->visibleRegion().isEmpty());  // the log shows below

    form.showNormal();
    EXPECT_TRUE(keepsItsSize());
    // A window manager offers maximizing only to a window whose size is not fixed.
    EXPECT_NE(form.minimumSize(), form.maximumSize());
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST(Composition, TheProgramsPortIsClosedWithTheSignsLineSettings) {
    SteadyClock clock;
    const MainFormParts parts = programParts(clock);
    TCustomComPort& port = *parts.port;
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.BaudRate(), br19200);
    EXPECT_EQ(port.DataBits(), dbEight);
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
    EXPECT_EQ(port.Parity().Bits(), prNone);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
    EXPECT_EQ(port.FlowControl().ControlDTR(), dtrDisable);
    EXPECT_TRUE(port.DiscardNull());
    EXPECT_EQ(port.Events(), allComEvents);
}

// The real console on a simulated sign. A close asked for between the two
// halves of a row lets the row finish; then the write stops and the window
// closes, staying up (and painting at the progress steps) until then.
TEST_F(TMainFormTest, ACloseDuringAWriteFinishesTheRowThenClosesTheWindow) {
    test::VirtualClock clock;
    test::SimComDevice* device = nullptr;
    TMainForm window(
        test::simulatedSignParts(clock, device, std::make_unique<RecordingPresenter>(shown)));
    test::SimComDevice& sim = *device;
    SignModel& sign = *sim.sign("COM3");
    for (int row = 1; row <= 5; ++row) {
        window.refillRow(row, "12.34", std::nullopt);
    }
    window.show();
    bool visibleAfterTheClose = false;
    QObject::connect(window.findChild<QProgressBar*>("ProgressBar1"), &QProgressBar::valueChanged,
                     &window, [&](int v) {
                         if (v == 2) {  // just before row 5's second half
                             QTimer::singleShot(0, &window, [&] {
                                 window.close();
                                 visibleAfterTheClose = window.isVisible();
                             });
                         }
                     });
    window.Button8Click();

    EXPECT_TRUE(visibleAfterTheClose);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(sign.half(0), (HalfContent{"1234", '1', '0'}));
    EXPECT_EQ(sign.half(8), sign.half(0));
    EXPECT_EQ(sign.half(1).price, "----");
    EXPECT_EQ(sign.half(9).price, "----");
    EXPECT_TRUE(window.findChild<QPlainTextEdit*>("Memo1")->toPlainText().split('\n').contains(
        QString::fromUtf8("--- Окно закрывается: запись остановлена ---")));
    EXPECT_TRUE(shown.empty());
    const std::size_t frames = sim.written().size();
    window.Button7Click();  // nothing more runs once the window has closed
    EXPECT_EQ(sim.written().size(), frames);
}

// The window's texts are looked up as it is made, notices as they are shown:
// English for an English-speaking technician, as written for a Russian one
// (whose locale need not be generated). The grades are never translated.
TEST_F(TMainFormTest, TheWindowSpeaksTheOperatorsLanguage) {
    struct Case {
        const char* lang;
        const char* title;
        const char* write;
        const char* notUsed;
        const char* entryGroup;
        const char* notice;
    };
    const Case cases[] = {
        {"ru_RU.UTF-8", "ОРВЕНА С520/640 - прошивка Д731  www.orvena.ru", "Записать", "Не исп.",
         "Ввод данных", "Стела подключена на порт : COM3"},
        {"en_US.UTF-8", "ORVENA C520/640 - firmware D731  www.orvena.ru", "Write", "Not used",
         "Price entry", "Sign connected on port: COM3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lang);
        test::ScopedLanguage language("LANG", c.lang);
        test::VirtualClock clock;
        auto device = std::make_unique<test::SimComDevice>(clock);
        device->attachSign("COM3");
        MainFormParts p;
        p.port = std::make_unique<TComPort>(std::move(device));
        loadSignPortSettings(*p.port);
        p.workflows = [&clock](WorkflowObserver& observer, TCustomComPort& port) {
            return std::make_unique<Console>(observer, port, clock);
        };
        std::vector<Shown> notices;
        p.presenter = std::make_unique<RecordingPresenter>(notices);
        TMainForm window(std::move(p));
        auto text = [&](const char* name) {
            return captionOf(window.findChild<QWidget*>(QLatin1String(name))).toStdString();
        };

        EXPECT_EQ(window.windowTitle().toStdString(), c.title);
        EXPECT_EQ(text("Button8"), c.write);
        EXPECT_EQ(text("CheckBox3"), c.notUsed);
        EXPECT_EQ(text("GroupBox5"), c.entryGroup);
        EXPECT_EQ(window.findChild<QComboBox*>("ComboBox1")->itemText(4).toStdString(), "ДТ");
        window.Button36Click();
        ASSERT_EQ(notices.size(), 1u);
        EXPECT_EQ(notices[0].text.toStdString(), c.notice);
    }
}

}  // namespace
}  // namespace stela

namespace stela {
namespace {

// The log keeps the last lines (and gives back the memory of the others); the
// journal keeps every operation's lines, and saying once that it cannot be
// written is all a journal failure does.
TEST_F(TMainFormTest, TheLogIsCappedAndTheJournalKeptBesideIt) {
    for (int i = 0; i < TMainForm::kLogLines + 5; ++i) {
        form.appendLog("line " + std::to_string(i));
    }
    EXPECT_EQ(logLines().size(), TMainForm::kLogLines);
    EXPECT_EQ(logLines().front(), "line 5");

    test::ScopedConfigHome home;
    const std::string directory = home.path() + "/journal";
    std::ofstream(directory) << "a file in the folder's place";
    MainFormParts p = parts();
    p.journal = std::make_unique<Journal>(directory, "stela", [] { return "COM3"; });
    TMainForm window(std::move(p));
    auto* log = window.findChild<QPlainTextEdit*>("Memo1");
    for (int press = 0; press < 2; ++press) {
        window.appendLog("Принял:WOK");
        window.Button5Click();
    }
    // Said once, with the journal's place and the system's reason (Linux's
    // "<folder>/<day>.log: Not a directory", Windows' of the folder it cannot make).
    QStringList lines = log->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 5);
    const QString failure = lines.takeAt(3);
    EXPECT_EQ(lines, (QStringList{"Mem", "o1", "Принял:WOK", "Принял:WOK"}));
    EXPECT_TRUE(
        failure.startsWith(QString::fromStdString("--- Журнал операций не записан: " + directory)));
    EXPECT_TRUE(failure.endsWith(" ---")) << failure.toStdString();
    EXPECT_EQ(ran, (std::vector<std::string>{"automatic", "automatic"}));

    std::filesystem::remove(directory);
    window.appendTagged({LogOperation::Write, LogEvent::Reply}, "Принял:WOK");
    window.Button5Click();
    std::ifstream journal(directory + "/" +
                          QDate::currentDate().toString(Qt::ISODate).toStdString() + ".log");
    std::string line;
    ASSERT_TRUE(std::getline(journal, line));
    EXPECT_EQ(line.substr(23), " COM3 stela write reply Принял:WOK");
}

}  // namespace
}  // namespace stela
