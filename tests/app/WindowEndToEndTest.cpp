// The whole program in real time: the window's own port object and console,
// driven through its controls, against the simulated sign on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <thread>
#include <vector>

#include "app/Composition.h"
#include "app/MaskedEdit.h"
#include "app/Messages.h"
#include "app/TMainForm.h"
#include "protocol/Clock.h"
#include "serial/TComPort.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/ServedSign.h"

namespace stela {
namespace {

class SilentPresenter : public MessagePresenter {
public:
    void notice(const QString& text) override { shown.push_back(text); }
    void errorReport(const QString& text) override { shown.push_back("error: " + text); }
    QStringList shown;
};

class WindowEndToEndTest : public ::testing::Test {
protected:
    // The program's own parts, with the message boxes recorded instead of shown.
    MainFormParts parts() {
        MainFormParts p = programParts(clock);
        auto presenter = std::make_unique<SilentPresenter>();
        messages = presenter.get();
        p.presenter = std::move(presenter);
        return p;
    }

    WindowEndToEndTest() {
        sign.start();
        home.linkCom(3, sign.devicePath());
        form.ComPort().SetPort("COM3");
        form.ComPort().Open();
    }

    template <class W>
    W* child(const char* name) {
        auto* widget = form.findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void type(const char* field, const QString& keys) {
        auto* edit = child<MaskedEdit>(field);
        edit->setFocus();
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, keys);
    }
    QString label(const char* name) { return child<QLabel>(name)->text(); }
    QColor labelColor(const char* name) {
        return child<QLabel>(name)->palette().color(QPalette::WindowText);
    }

    test::ScopedConfigHome home;
    test::ServedSign sign;
    SteadyClock clock;
    SilentPresenter* messages = nullptr;
    std::vector<std::thread::id> deliveredOn;  // by a handler of the form's port
    TMainForm form{parts()};
};

TEST_F(WindowEndToEndTest, TypedPricesAreWrittenReadBackAndShown) {
    form.show();
    type("MaskEdit1", "4567");                // row 1
    type("MaskEdit3", "1005");                // row 2
    child<QCheckBox>("CheckBox4")->click();   // row 3 not used
    child<QCheckBox>("CheckBox10")->click();  // row 5 caption 1
    QTest::mouseClick(child<QPushButton>("Button8"), Qt::LeftButton);

    EXPECT_TRUE(messages->shown.isEmpty()) << messages->shown.join(" | ").toStdString();
    sign.stop();
    const SignModel& model = sign.model();
    EXPECT_EQ(model.half(4), (HalfContent{"4567", '1', '0'}));
    EXPECT_EQ(model.half(12), (HalfContent{"4567", '1', '0'}));
    EXPECT_EQ(model.half(3), (HalfContent{"1005", '1', '0'}));
    EXPECT_EQ(model.half(2), (HalfContent{"----", '1', '0'}));
    EXPECT_EQ(model.half(10), (HalfContent{"----", '1', '0'}));
    EXPECT_EQ(model.half(1), (HalfContent{"0000", '1', '0'}));
    EXPECT_EQ(model.half(8), (HalfContent{"0000", '1', '1'}));

    EXPECT_EQ(label("Label10"), "45.67");
    EXPECT_EQ(label("Label11"), "45.67");
    EXPECT_EQ(label("Label14"), "10.05");
    EXPECT_EQ(label("Label13"), "--.--");
    EXPECT_EQ(label("Label2"), "00.00");
    for (const char* name : {"Label10", "Label11", "Label14", "Label8", "Label13", "Label4",
                             "Label12", "Label3", "Label9", "Label2"}) {
        EXPECT_EQ(labelColor(name), QColor(0, 255, 0)) << name;
    }
    // The grid shows what the sign holds; the not-used row keeps its dashes.
    EXPECT_EQ(child<MaskedEdit>("MaskEdit4")->valueText(), "--.--");
    EXPECT_EQ(child<MaskedEdit>("MaskEdit3")->valueText(), "1 . 5");
    for (const char* name :
         {"Button36", "Button2", "Button1", "Button5", "Button6", "Button7", "Button8"}) {
        EXPECT_TRUE(child<QPushButton>(name)->isEnabled()) << name;
    }
}

// The port's event monitor hands its batches to the window's thread: while a
// read runs, at its progress steps, and when the window is idle again.
TEST_F(WindowEndToEndTest, TheEventMonitorDeliversOnTheWindowsThread) {
    form.show();
    form.ComPort().OnTxEmpty = [&](TCustomComPort&) {
        deliveredOn.push_back(std::this_thread::get_id());
    };
    QTest::mouseClick(child<QPushButton>("Button7"), Qt::LeftButton);
    EXPECT_EQ(labelColor("Label2"), QColor(0, 255, 0));
    QTRY_VERIFY(!deliveredOn.empty());
    for (std::thread::id id : deliveredOn) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
    EXPECT_TRUE(messages->shown.isEmpty()) << messages->shown.join(" | ").toStdString();
}

}  // namespace
}  // namespace stela
