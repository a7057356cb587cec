#pragma once

#include <QComboBox>
#include <memory>
#include <string>

#include "app/setup/TComSelect.h"

namespace stela {

// A drop-down list (pick only, no typing) bound to one property of one port
// object. Setting ComProperty fills it; binding a port shows the port's current
// value; what the operator picks waits as the pending value until Apply, unless
// AutoApply is on.
class TComComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComComboBox(QWidget* parent = nullptr);
    ~TComComboBox() override;

    TCustomComPort* ComPort() const { return select_->ComPort(); }
    void SetComPort(TCustomComPort* port) { select_->SetComPort(port); }
    TComProperty ComProperty() const { return select_->Kind(); }
    void SetComProperty(TComProperty property) { select_->SetKind(property); }
    bool AutoApply() const { return select_->AutoApply(); }
    void SetAutoApply(bool value) { select_->SetAutoApply(value); }
    // Read before ComProperty becomes cpPort.
    void SetPortListSources(const PortListSources& sources) {
        select_->SetPortListSources(sources);
    }

    // The selected item's text, "" when nothing is selected. Setting it selects
    // the item of that text, if there is one, as the program (not the operator)
    // does: the pending value stays.
    std::string Text() const { return currentText().toStdString(); }
    void SetText(const std::string& text);

    void ShowCurrent() { select_->ShowCurrent(); }
    void Apply() { select_->Apply(); }

private:
    std::unique_ptr<TComSelect> select_;
};

}  // namespace stela
