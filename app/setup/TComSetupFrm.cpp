#include "app/setup/TComSetupFrm.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <vector>

#include "app/WindowsFonts.h"
#include "app/setup/ComSetupTexts.h"
#include "serial/TComPort.h"

namespace stela {
namespace {

QString qtext(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

struct Row {
    std::string ComSetupTexts::*label;
    int labelTop;
    int comboTop;
    TComProperty property;
};

constexpr Row kRows[] = {
    {&ComSetupTexts::port, 24, 16, cpPort},
    {&ComSetupTexts::baudRate, 48, 40, cpBaudRate},
    {&ComSetupTexts::dataBits, 72, 64, cpDataBits},
    {&ComSetupTexts::stopBits, 96, 88, cpStopBits},
    {&ComSetupTexts::parity, 120, 112, cpParity},
    {&ComSetupTexts::flowControl, 144, 136, cpFlowControl},
};

constexpr int kLabelLeft = 8;
constexpr int kComboLeft = 80;
constexpr int kComboWidth = 129;
constexpr int kComboHeight = 21;  // a drop-down list's height in this font

QPushButton* addButton(QWidget* parent, const char* name, const std::string& caption,
                       QRect geometry) {
    auto* button = new QPushButton(qtext(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

}  // namespace

TComSetupFrm::TComSetupFrm(const PortListSources& sources, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    // The texts in the operator's language, looked up as the dialog is created.
    const ComSetupTexts texts = comSetupTexts();
    setObjectName(QStringLiteral("ComSetupFrm"));
    setWindowTitle(qtext(texts.caption));
    setFont(pixelFont(kMsSansSerifFamilies, 11));
    setFixedSize(kClientSize);

    auto* group = new QGroupBox(qtext(texts.group), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(8, 8, 217, 169);
    for (std::size_t i = 0; i < combos_.size(); ++i) {
        const Row& row = kRows[i];
        const QString number = QString::number(i + 1);
        auto* label = new QLabel(qtext(texts.*row.label), group);
        label->setObjectName(QStringLiteral("Label") + number);
        label->move(kLabelLeft, row.labelTop);
        label->adjustSize();

        auto* combo = new TComComboBox(group);
        combo->setObjectName(QStringLiteral("Combo") + number);
        combo->setGeometry(kComboLeft, row.comboTop, kComboWidth, kComboHeight);
        combo->SetPortListSources(sources);
        combo->SetComProperty(row.property);
        combos_[i] = combo;
    }

    auto* ok = addButton(this, "Button1", texts.ok, {70, 184, 75, 25});
    auto* cancel = addButton(this, "Button2", texts.cancel, {150, 184, 75, 25});
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    std::vector<QWidget*> keyboardOrder(combos_.begin(), combos_.end());
    keyboardOrder.insert(keyboardOrder.end(), {ok, cancel});
    for (std::size_t i = 1; i < keyboardOrder.size(); ++i) {
        setTabOrder(keyboardOrder[i - 1], keyboardOrder[i]);
    }
    combos_.front()->setFocus();
}

void TComSetupFrm::showEvent(QShowEvent* event) {
    move(screen()->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TComSetupFrm::Bind(TCustomComPort& port) {
    for (TComComboBox* combo : combos_) {
        combo->SetComPort(&port);
    }
    for (TComComboBox* combo : combos_) {
        combo->ShowCurrent();
    }
}

void TComSetupFrm::ApplyTo(TCustomComPort& port) {
    port.BeginSettingsBatch();
    try {
        for (TComComboBox* combo : combos_) {
            combo->Apply();
        }
    } catch (...) {
        // Close the bracket all the same: left open, it would keep every later
        // setting from reaching the device. The first error is the one to report.
        try {
            port.EndSettingsBatch();
        } catch (...) {
        }
        throw;
    }
    port.EndSettingsBatch();
}

void runSetupDialog(TCustomComPort& port, const PortListSources& sources) {
    TComSetupFrm dialog(sources);
    dialog.Bind(port);
    if (dialog.exec() == QDialog::Accepted) {
        dialog.ApplyTo(port);
    }
}

void installSetupDialog(TCustomComPort& port, const PortListSources& sources) {
    port.SetSetupRunner([sources](TCustomComPort& p) { runSetupDialog(p, sources); });
}

}  // namespace stela
