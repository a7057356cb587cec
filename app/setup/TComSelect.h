#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "serial/PortList.h"

class QComboBox;

namespace stela {

class TCustomComPort;

// Which property of the port object a combo box stands for.
enum TComProperty : std::uint8_t {
    cpNone,
    cpPort,
    cpBaudRate,
    cpDataBits,
    cpStopBits,
    cpParity,
    cpFlowControl
};

// The logic of one combo box: its items, the value the operator has chosen and
// not yet applied (one pending value for each property: the port name as text,
// the others as positions in their tables), and applying it to the bound port.
// Owned by its combo box, whose item list it fills and selects in.
class TComSelect {
public:
    explicit TComSelect(QComboBox& items) : items_(items) {}

    TComProperty Kind() const { return kind_; }
    // Fills the item list: the port list, or the property's table in order
    // (none for cpNone); then shows current when bound, else selects item 0.
    void SetKind(TComProperty kind);

    TCustomComPort* ComPort() const { return port_; }
    // Binding shows current.
    void SetComPort(TCustomComPort* port);

    bool AutoApply() const { return autoApply_; }
    void SetAutoApply(bool value) { autoApply_ = value; }

    // Where the port list is read when the kind becomes cpPort.
    void SetPortListSources(const PortListSources& sources) { sources_ = sources; }

    // Selects the item (ignoring case) that matches the bound port's current value
    // and takes it as the pending value; when there is none (a port name not in
    // the list) selects nothing and keeps the pending value.
    void ShowCurrent();
    // The operator chose the item `text`: it becomes the pending value, and
    // reaches the port at once with AutoApply.
    void Choose(const std::string& text);
    // Writes the pending value into the bound port; a port name as it stands,
    // even an empty one.
    void Apply();

private:
    std::string currentText() const;
    void setPending(const std::string& text);

    QComboBox& items_;
    TComProperty kind_ = cpNone;
    TCustomComPort* port_ = nullptr;
    bool autoApply_ = false;
    PortListSources sources_;
    std::string pendingPort_;
    std::array<int, cpFlowControl + 1> pendingPosition_{};  // by kind; unused for the port
};

}  // namespace stela
