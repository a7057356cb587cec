#include "app/MaskedText.h"

#include <utility>

namespace stela {
namespace {

const QChar kBlank = QLatin1Char(' ');
const QChar kZero = QLatin1Char('0');

bool isAsciiDigit(QChar c) {
    return c >= kZero && c <= QLatin1Char('9');
}

// A slot holds a blank for "empty" and for the digit 0: they read the same.
QChar slotChar(QChar digit) {
    return digit == kZero ? kBlank : digit;
}

}  // namespace

MaskedText::MaskedText(QString layout) : layout_(std::move(layout)), slots_(layout_) {
    clear(0, layout_.size());
}

void MaskedText::setText(const QString& text) {
    kept_ = QString();
    if (text.isEmpty()) {
        clear(0, layout_.size());
    } else if (matches(text, /*blanksAllowed=*/true)) {
        for (int i = 0; i < layout_.size(); ++i) {
            if (isSlot(i)) {
                slots_[i] = slotChar(text.at(i));
            }
        }
    } else {
        kept_ = text;
    }
}

QString MaskedText::value() const {
    return keptAsSet() ? kept_ : slots_;
}

QString MaskedText::display() const {
    if (keptAsSet()) {
        return kept_;
    }
    QString shown = slots_;
    for (int i = 0; i < shown.size(); ++i) {
        if (isSlot(i) && shown.at(i) == kBlank) {
            shown[i] = kZero;
        }
    }
    return shown;
}

bool MaskedText::matches(const QString& text, bool blanksAllowed) const {
    if (text.size() != layout_.size()) {
        return false;
    }
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool fits =
            isSlot(i) ? isAsciiDigit(c) || (blanksAllowed && c == kBlank) : c == layout_.at(i);
        if (!fits) {
            return false;
        }
    }
    return true;
}

int MaskedText::typeDigit(int pos, QChar digit) {
    if (!isAsciiDigit(digit)) {
        return -1;
    }
    startEditing();
    const int slot = skipLiterals(pos);
    if (slot >= layout_.size()) {
        return -1;
    }
    slots_[slot] = slotChar(digit);
    return skipLiterals(slot + 1);
}

int MaskedText::backspace(int pos) {
    startEditing();
    for (int i = qMin(pos, int(layout_.size())) - 1; i >= 0; --i) {
        if (isSlot(i)) {
            slots_[i] = kBlank;
            return i;
        }
    }
    return qBound(0, pos, int(layout_.size()));
}

int MaskedText::deleteForward(int pos) {
    startEditing();
    const int slot = skipLiterals(pos);
    if (slot < layout_.size()) {
        slots_[slot] = kBlank;
    }
    return qBound(0, pos, int(layout_.size()));
}

void MaskedText::clear(int from, int to) {
    startEditing();
    for (int i = qMax(from, 0); i < qMin(to, int(layout_.size())); ++i) {
        if (isSlot(i)) {
            slots_[i] = kBlank;
        }
    }
}

int MaskedText::skipLiterals(int pos) const {
    int i = qMax(pos, 0);
    while (i < layout_.size() && !isSlot(i)) {
        ++i;
    }
    return i;
}

// The first edit of a text kept as set keeps the digits that stand in digit
// positions and empties the rest, so "--.--" becomes an empty price.
void MaskedText::startEditing() {
    if (!keptAsSet()) {
        return;
    }
    const QString kept = std::exchange(kept_, QString());
    for (int i = 0; i < layout_.size(); ++i) {
        if (isSlot(i)) {
            const QChar c = i < kept.size() ? kept.at(i) : kBlank;
            slots_[i] = isAsciiDigit(c) ? slotChar(c) : kBlank;
        }
    }
}

}  // namespace stela
