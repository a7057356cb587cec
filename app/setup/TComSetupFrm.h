#pragma once

#include <QDialog>
#include <array>

#include "app/setup/TComComboBox.h"
#include "serial/PortList.h"

namespace stela {

// The port setup dialog: port name, baud rate, data bits, stop bits, parity and
// flow control, each a drop-down list (Combo1..Combo6 in that order), and OK and
// Cancel. Its texts pass through the translation lookup (domain "cport") as it
// is created; the lists' items do not.
class TComSetupFrm : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{231, 216};

    // Reads the port list for Combo1: EComPort code 23 when it cannot be read.
    explicit TComSetupFrm(const PortListSources& sources = {}, QWidget* parent = nullptr);

    // Binds every box to `port` in order, which shows its current value, and
    // shows current once more.
    void Bind(TCustomComPort& port);
    // Applies every box's pending value in order, inside one settings batch, so
    // that an open port takes the new line settings together.
    void ApplyTo(TCustomComPort& port);

    const std::array<TComComboBox*, 6>& Combos() const { return combos_; }

protected:
    // Centres the dialog on its screen, whatever window is active.
    void showEvent(QShowEvent* event) override;

private:
    std::array<TComComboBox*, 6> combos_{};
};

// RunSetupDialog's work: the dialog on `port`, modal, centred on the screen;
// OK applies the choices, Cancel (the close box and Escape too) applies nothing.
void runSetupDialog(TCustomComPort& port, const PortListSources& sources = {});

// Makes this dialog the one that `port`'s RunSetupDialog runs.
void installSetupDialog(TCustomComPort& port, const PortListSources& sources = {});

}  // namespace stela
