#include "app/setup/TComSetupFrm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <tuple>

#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "tests/serial/RecordingComDevice.h"
#include "tests/support/FakePortList.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/TestLanguage.h"

namespace stela {
namespace {

using Texts = std::vector<std::string>;

// What the dialog can change on a port.
auto settingsOf(const TCustomComPort& port) {
    const TComFlowControl& flow = port.FlowControl();
    return std::make_tuple(port.Port(), port.BaudRate(), port.DataBits(), port.StopBits(),
                           port.Parity().Bits(), flow.ControlRTS(), flow.OutCTSFlow(),
                           flow.XonXoffIn(), flow.XonXoffOut());
}

class TComSetupFrmTest : public ::testing::Test {
protected:
    TComSetupFrmTest() {
        installSetupDialog(port, ports.sources());
        for (int n : {1, 2, 10}) {
            ports.add(n);
        }
        port.SetPort("COM2");
        port.SetBaudRate(br19200);
    }

    // Runs the port's setup dialog as the operator would: once it is up,
    // `operate` works its controls and closes it.
    void runDialog(const std::function<void(TComSetupFrm&)>& operate) {
        bool operated = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<TComSetupFrm*>(QApplication::activeModalWidget())) {
                operate(*dialog);
                operated = true;
            }
            closeAnyDialog();
        });
        port.RunSetupDialog();
        EXPECT_TRUE(operated) << "no setup dialog came up";
    }
    void closeAnyDialog() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<TComSetupFrm*>(widget); dialog && dialog->isVisible()) {
                ADD_FAILURE() << "the dialog was left open";
                dialog->reject();
            }
        }
    }

    static TComComboBox* combo(TComSetupFrm& dialog, int number) {
        return dialog.Combos().at(std::size_t(number - 1));
    }
    static Texts shown(TComSetupFrm& dialog) {
        Texts texts;
        for (TComComboBox* box : dialog.Combos()) {
            texts.push_back(box->Text());
        }
        return texts;
    }
    // Typing the start of an item into a closed list picks it.
    static void type(TComSetupFrm& dialog, int number, const char* keys) {
        QTest::keyClicks(combo(dialog, number), QLatin1String(keys));
    }
    static void press(TComSetupFrm& dialog, const char* button) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    }

    test::ScopedConfigHome home;
    test::FakePortList ports{home};
    std::vector<std::string> deviceLog;
    test::RecordingComDevice* device = new test::RecordingComDevice(deviceLog);
    TComPort port{std::unique_ptr<ComDevice>(device)};
};

struct Control {
    const char* name;
    const char* parent;  // nullptr: the dialog
    QRect geometry;      // labels: only their place counts
    const char* caption;
};

const Control kControls[] = {
    {"GroupBox1", nullptr, {8, 8, 217, 169}, " Settings "},
    {"Label1", "GroupBox1", {8, 24, 0, 0}, "Port"},
    {"Label2", "GroupBox1", {8, 48, 0, 0}, "Baud rate"},
    {"Label3", "GroupBox1", {8, 72, 0, 0}, "Data bits"},
    {"Label4", "GroupBox1", {8, 96, 0, 0}, "Stop bits"},
    {"Label5", "GroupBox1", {8, 120, 0, 0}, "Parity"},
    {"Label6", "GroupBox1", {8, 144, 0, 0}, "Flow control"},
    {"Combo1", "GroupBox1", {80, 16, 129, 21}, ""},
    {"Combo2", "GroupBox1", {80, 40, 129, 21}, ""},
    {"Combo3", "GroupBox1", {80, 64, 129, 21}, ""},
    {"Combo4", "GroupBox1", {80, 88, 129, 21}, ""},
    {"Combo5", "GroupBox1", {80, 112, 129, 21}, ""},
    {"Combo6", "GroupBox1", {80, 136, 129, 21}, ""},
    {"Button1", nullptr, {70, 184, 75, 25}, "OK"},
    {"Button2", nullptr, {150, 184, 75, 25}, "Cancel"},
};

QString captionOf(QWidget* widget) {
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return group->title();
    }
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    return {};
}

TEST_F(TComSetupFrmTest, ControlsCaptionsFrameAndFont) {
    TComSetupFrm dialog(ports.sources());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Setup"));
    EXPECT_EQ(dialog.size(), QSize(231, 216));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_FALSE(dialog.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    const QFontInfo font(dialog.font());
    EXPECT_EQ(font.pixelSize(), 11);
    EXPECT_TRUE(
        QStringList({"MS Sans Serif", "Liberation Sans", "DejaVu Sans"}).contains(font.family()))
        << font.family().toStdString();

    for (const Control& c : kControls) {
        auto* widget = dialog.findChild<QWidget*>(QLatin1String(c.name));
        ASSERT_NE(widget, nullptr) << c.name;
        QWidget* parent = c.parent ? dialog.findChild<QWidget*>(QLatin1String(c.parent)) : &dialog;
        EXPECT_EQ(widget->parentWidget(), parent) << c.name;
        if (c.geometry.width() > 0) {
            EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
        } else {
            EXPECT_EQ(widget->pos(), c.geometry.topLeft()) << c.name;
        }
        EXPECT_EQ(captionOf(widget), QString::fromUtf8(c.caption)) << c.name;
    }
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("Button1"))->isDefault());

    // Each box lists its property's items, in the table's order, pick-only.
    const std::tuple<int, const char*, const char*> lists[] = {{16, "Custom", "256000"},
                                                               {4, "5", "8"},
                                                               {3, "1", "2"},
                                                               {5, "None", "Space"},
                                                               {4, "Hardware", "Custom"}};
    for (int n = 2; n <= 6; ++n) {
        const auto& [count, first, last] = lists[n - 2];
        TComComboBox* box = combo(dialog, n);
        EXPECT_EQ(box->ComProperty(), TComProperty(n));
        EXPECT_FALSE(box->isEditable());
        ASSERT_EQ(box->count(), count) << n;
        EXPECT_EQ(box->itemText(0), QLatin1String(first));
        EXPECT_EQ(box->itemText(count - 1), QLatin1String(last));
    }
}

TEST_F(TComSetupFrmTest, TheKeyboardStartsAtThePortAndRunsDownToCancel) {
    runDialog([](TComSetupFrm& dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(visited, QStringList({"Combo1", "Combo2", "Combo3", "Combo4", "Combo5", "Combo6",
                                        "Button1", "Button2", "Combo1"}));
        const QRect screen = dialog.screen()->availableGeometry();
        EXPECT_LE((dialog.geometry().center() - screen.center()).manhattanLength(), 2);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
}

TEST_F(TComSetupFrmTest, ThePortListIsSortedAsTextIgnoringCase) {
    runDialog([](TComSetupFrm& dialog) {
        QStringList items;
        for (int i = 0; i < combo(dialog, 1)->count(); ++i) {
            items << combo(dialog, 1)->itemText(i);
        }
        EXPECT_EQ(items, QStringList({"COM1", "COM10", "COM2"}));
        press(dialog, "Button2");
    });
}

// What a port is shows as its item's tooltip, as plain text whatever the
// adapter calls itself.
TEST_F(TComSetupFrmTest, EachPortTellsWhatItIsInItsTooltip) {
    ports.tree().addUsbTty("ttyUSB0", "ftdi_sio",
                           {"0403", "6001", "FTDI", "<b>FT232R</b>", "A1234"});
    const QString dev = QString::fromStdString(ports.tree().dev());
    runDialog([&](TComSetupFrm& dialog) {
        QComboBox* list = combo(dialog, 1);
        const QString tooltip = list->itemData(list->findText("COM33"), Qt::ToolTipRole).toString();
        EXPECT_TRUE(tooltip.contains(dev + "/ttyUSB0, ftdi_sio, USB 0403:6001 FTDI "
                                           "&lt;b&gt;FT232R&lt;/b&gt;, serial A1234"))
            << tooltip.toStdString();
        press(dialog, "Button2");
    });
}

TEST_F(TComSetupFrmTest, ShowsThePortsCurrentSettings) {
    runDialog([](TComSetupFrm& dialog) {
        EXPECT_EQ(shown(dialog), (Texts{"COM2", "19200", "8", "1", "None", "None"}));
        press(dialog, "Button2");
    });

    port.SetPort("com10");  // names match ignoring case
    port.SetBaudRate(br115200);
    port.SetDataBits(dbSeven);
    port.SetStopBits(sbTwoStopBits);
    port.Parity().SetBits(prEven);
    port.FlowControl().SetFlowControl(fcHardware);
    runDialog([](TComSetupFrm& dialog) {
        EXPECT_EQ(shown(dialog), (Texts{"COM10", "115200", "7", "2", "Even", "Hardware"}));
        press(dialog, "Button2");
    });
    port.FlowControl().SetXonXoffIn(true);  // no preset: the custom one
    runDialog([](TComSetupFrm& dialog) {
        EXPECT_EQ(combo(dialog, 6)->Text(), "Custom");
        press(dialog, "Button2");
    });
}

TEST_F(TComSetupFrmTest, CancelTheCloseBoxAndEscapeChangeNothing) {
    const auto before = settingsOf(port);
    const std::function<void(TComSetupFrm&)> closings[] = {
        [](TComSetupFrm& dialog) { press(dialog, "Button2"); },
        [](TComSetupFrm& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); },
        [](TComSetupFrm& dialog) { dialog.close(); },
    };
    for (const auto& close : closings) {
        runDialog([&](TComSetupFrm& dialog) {
            type(dialog, 1, "COM10");
            type(dialog, 2, "9600");
            type(dialog, 3, "7");
            type(dialog, 5, "E");
            type(dialog, 6, "H");
            EXPECT_EQ(shown(dialog), (Texts{"COM10", "9600", "7", "1", "Even", "Hardware"}));
            close(dialog);
        });
        EXPECT_EQ(settingsOf(port), before);
    }
    EXPECT_TRUE(deviceLog.empty());
}

TEST_F(TComSetupFrmTest, OkAppliesEveryChoice) {
    runDialog([](TComSetupFrm& dialog) {
        type(dialog, 2, "9600");
        press(dialog, "Button1");
    });
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.Port(), "COM2");

    runDialog([](TComSetupFrm& dialog) {
        type(dialog, 1, "COM10");
        type(dialog, 3, "6");
        type(dialog, 4, "1.5");
        type(dialog, 5, "M");
        type(dialog, 6, "S");
        QTest::keyClick(&dialog, Qt::Key_Return);  // OK is the default button
    });
    EXPECT_EQ(settingsOf(port), std::make_tuple(std::string("COM10"), br9600, dbSix, sbOne5StopBits,
                                                prMark, rtsDisable, false, true, true));
}

TEST_F(TComSetupFrmTest, AnOpenPortTakesTheChoicesTogether) {
    port.Open();
    deviceLog.clear();
    runDialog([](TComSetupFrm& dialog) {
        type(dialog, 2, "4800");
        type(dialog, 3, "7");
        type(dialog, 6, "H");
        press(dialog, "Button1");
    });
    EXPECT_EQ(deviceLog, (Texts{"queues 1024 1024", "line", "timeouts"}));
}

TEST_F(TComSetupFrmTest, OkWithNoPortSelectedEmptiesTheName) {
    port.SetPort("COM7");  // not in the list: nothing selected
    runDialog([](TComSetupFrm& dialog) {
        EXPECT_EQ(combo(dialog, 1)->currentIndex(), -1);
        EXPECT_EQ(shown(dialog), (Texts{"", "19200", "8", "1", "None", "None"}));
        type(dialog, 3, "7");
        press(dialog, "Button1");
    });
    EXPECT_EQ(port.Port(), "");
    EXPECT_EQ(port.DataBits(), dbSeven);

    // A machine with no serial ports at all: the list is empty.
    ports.removeAll();
    port.SetPort("COM2");
    runDialog([](TComSetupFrm& dialog) {
        EXPECT_EQ(combo(dialog, 1)->count(), 0);
        press(dialog, "Button1");
    });
    EXPECT_EQ(port.Port(), "");
}

TEST_F(TComSetupFrmTest, APortListThatCannotBeReadEndsItBeforeTheDialogShows) {
    installSetupDialog(port, ports.unreadable());
    const auto before = settingsOf(port);
    try {
        port.RunSetupDialog();
        ADD_FAILURE() << "no error";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code(), EComPort::kRegistryError);
    }
    EXPECT_EQ(settingsOf(port), before);
    closeAnyDialog();
}

TEST_F(TComSetupFrmTest, AFailedApplyStillEndsTheSettingsBatch) {
    port.Open();
    device->failures["open"] = EBUSY;
    EXPECT_THROW(runDialog([](TComSetupFrm& dialog) {
                     type(dialog, 1, "COM10");
                     press(dialog, "Button1");
                 }),
                 EComPort);
    EXPECT_FALSE(port.Connected());

    // Later settings reach the device again.
    device->failures.clear();
    deviceLog.clear();
    port.Open();
    EXPECT_EQ(deviceLog, (Texts{"open COM10", "queues 1024 1024", "line", "timeouts", "lines",
                                "lines", "lines"}));
}

TEST(TComComboBox, WithAutoApplyAChoiceReachesThePortAtOnce) {
    TComPort port;
    TComComboBox box;
    box.SetComProperty(cpParity);
    EXPECT_EQ(box.Text(), "None");  // unbound: the first item
    box.SetComPort(&port);
    box.SetAutoApply(true);
    QTest::keyClicks(&box, QStringLiteral("O"));
    EXPECT_EQ(port.Parity().Bits(), prOdd);

    box.SetText("Space");  // the program's selection is no choice of the operator's
    EXPECT_EQ(box.Text(), "Space");
    EXPECT_EQ(port.Parity().Bits(), prOdd);
}

// A Russian technician (ru_RU need not be generated on the machine) gets the
// dialog's texts in Russian; the lists' items stay as they are.
TEST_F(TComSetupFrmTest, TheDialogSpeaksTheOperatorsLanguageButNotItsLists) {
    test::ScopedLanguage russian("LANG", "ru_RU.UTF-8");
    runDialog([](TComSetupFrm& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Настройка");
        EXPECT_EQ(dialog.findChild<QGroupBox*>("GroupBox1")->title().toStdString(), " Параметры ");
        EXPECT_EQ(dialog.findChild<QPushButton*>("Button2")->text().toStdString(), "Отмена");
        EXPECT_EQ(shown(dialog), (Texts{"COM2", "19200", "8", "1", "None", "None"}));
        dialog.reject();
    });
}

}  // namespace
}  // namespace stela
