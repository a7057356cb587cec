#include "app/setup/TComSelect.h"

#include <strings.h>
#include <QComboBox>
#include <QTextDocument>

#include "serial/PortDescription.h"
#include "serial/TComPort.h"

namespace stela {
namespace {

struct Table {
    const char* const* texts = nullptr;
    int size = 0;
};

template <std::size_t N>
Table tableOf(const std::array<const char*, N>& texts) {
    return {texts.data(), int(N)};
}

Table tableFor(TComProperty kind) {
    switch (kind) {
        case cpBaudRate:
            return tableOf(kBaudRateTexts);
        case cpDataBits:
            return tableOf(kDataBitsTexts);
        case cpStopBits:
            return tableOf(kStopBitsTexts);
        case cpParity:
            return tableOf(kParityBitsTexts);
        case cpFlowControl:
            return tableOf(kFlowControlTexts);
        default:
            return {};
    }
}

int currentPosition(TComProperty kind, const TCustomComPort& port) {
    switch (kind) {
        case cpBaudRate:
            return port.BaudRate();
        case cpDataBits:
            return port.DataBits();
        case cpStopBits:
            return port.StopBits();
        case cpParity:
            return port.Parity().Bits();
        case cpFlowControl:
            return port.FlowControl().FlowControl();
        default:
            return -1;
    }
}

}  // namespace

void TComSelect::SetKind(TComProperty kind) {
    kind_ = kind;
    items_.clear();
    if (kind == cpPort) {
        // The item is the port's name; what the port is shows as its tooltip,
        // as plain text whatever the adapter calls itself.
        for (const PortDescription& port : describePresentPorts(sources_)) {
            items_.addItem(QString::fromStdString(port.port));
            items_.setItemData(items_.count() - 1,
                               Qt::convertFromPlainText(QString::fromStdString(portSummary(port)),
                                                        Qt::WhiteSpaceNormal),
                               Qt::ToolTipRole);
        }
    } else {
        const Table table = tableFor(kind);
        for (int i = 0; i < table.size; ++i) {
            items_.addItem(QString::fromLatin1(table.texts[i]));
        }
    }
    if (items_.count() > 0) {
        if (port_ != nullptr) {
            ShowCurrent();
        } else {
            items_.setCurrentIndex(0);
        }
    }
}

void TComSelect::SetComPort(TCustomComPort* port) {
    port_ = port;
    if (port_ != nullptr) {
        ShowCurrent();
    }
}

std::string TComSelect::currentText() const {
    if (kind_ == cpPort) {
        return port_->Port();
    }
    const Table table = tableFor(kind_);
    const int position = currentPosition(kind_, *port_);
    return position >= 0 && position < table.size ? table.texts[position] : "";
}

void TComSelect::ShowCurrent() {
    if (port_ == nullptr || kind_ == cpNone) {
        return;
    }
    const int index = items_.findText(QString::fromStdString(currentText()), Qt::MatchFixedString);
    items_.setCurrentIndex(index);  // -1 selects nothing
    if (index >= 0) {
        setPending(items_.itemText(index).toStdString());
    }
}

void TComSelect::setPending(const std::string& text) {
    if (kind_ == cpPort) {
        pendingPort_ = text;
        return;
    }
    const Table table = tableFor(kind_);
    for (int i = 0; i < table.size; ++i) {
        if (::strcasecmp(table.texts[i], text.c_str()) == 0) {
            pendingPosition_[kind_] = i;
        }
    }
}

void TComSelect::Choose(const std::string& text) {
    setPending(text);
    if (autoApply_) {
        Apply();
    }
}

void TComSelect::Apply() {
    if (port_ == nullptr) {
        return;
    }
    const int position = pendingPosition_[kind_];
    switch (kind_) {
        case cpPort:
            port_->SetPort(pendingPort_);
            break;
        case cpBaudRate:
            port_->SetBaudRate(TBaudRate(position));
            break;
        case cpDataBits:
            port_->SetDataBits(TDataBits(position));
            break;
        case cpStopBits:
            port_->SetStopBits(TStopBits(position));
            break;
        case cpParity:
            port_->Parity().SetBits(TParityBits(position));
            break;
        case cpFlowControl:
            port_->FlowControl().SetFlowControl(TFlowControl(position));
            break;
        case cpNone:
            break;
    }
}

}  // namespace stela
