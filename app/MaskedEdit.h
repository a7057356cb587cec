#pragma once

#include <QLineEdit>

#include "app/MaskedText.h"

namespace stela {

// A one-line field with a fixed layout of digit positions and literals, as the
// price fields ("99.99") and the one-digit fields ("9") need: digits only, the
// literals fixed, typing overwrites, Backspace and Delete empty a position, and
// an empty position shows '0'. The workflows set and read it through
// setValueText() and valueText() (see MaskedText for the reading rule).
class MaskedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit MaskedEdit(const QString& layout, QWidget* parent = nullptr);

    void setValueText(const QString& text);
    QString valueText() const { return content_.value(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void typeText(const QString& text);
    void clearSelection();
    void showContent(int cursor);

    MaskedText content_;
};

}  // namespace stela
