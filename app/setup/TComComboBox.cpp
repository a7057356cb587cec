#include "app/setup/TComComboBox.h"

namespace stela {

TComComboBox::TComComboBox(QWidget* parent)
    : QComboBox(parent), select_(std::make_unique<TComSelect>(*this)) {
    setEditable(false);
    // Only the operator's choices, by mouse or keyboard, raise `activated`.
    connect(this, &QComboBox::activated, this,
            [this](int index) { select_->Choose(itemText(index).toStdString()); });
}

TComComboBox::~TComComboBox() = default;

void TComComboBox::SetText(const std::string& text) {
    const int index = findText(QString::fromStdString(text));
    if (index >= 0) {
        setCurrentIndex(index);
    }
}

}  // namespace stela
