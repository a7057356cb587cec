#pragma once

#include <QString>

namespace stela {

// The content of a masked field, apart from any widget. The layout names each
// position: '9' is an optional digit, any other character a literal that is
// always there ("99.99" for a price, "9" for a one-digit field).
//
// A digit position holds a digit 1-9 or nothing; 0 is the same as nothing, so
// both show as '0' and read as a blank. A text that does not fit the layout
// (such as "--.--" from a panel without a price) is kept as it stands, shown and
// read back unchanged, until the first edit turns it into digits.
class MaskedText {
public:
    explicit MaskedText(QString layout);

    // Takes a text as the workflows set it: digits, blanks and the literals in
    // place fill the positions; anything else is kept as it stands.
    void setText(const QString& text);

    // The value every workflow reads: the layout with a blank for every empty
    // position ("  .  " when empty, "1 . 5" for 10.05).
    QString value() const;
    // What the field shows: '0' for every empty position ("00.00" when empty).
    QString display() const;

    bool keptAsSet() const { return !kept_.isNull(); }
    // Whether a shown text has exactly the layout's form with a digit in every
    // digit position (the only form an edit may leave in the field).
    bool fitsLayout(const QString& text) const { return matches(text, /*blanksAllowed=*/false); }

    // Editing. Positions are cursor positions in the shown text; each call
    // returns where the cursor goes next. A text kept as set first becomes the
    // digits it holds in the layout's positions.
    // typeDigit returns -1 when no digit position is at or after pos.
    int typeDigit(int pos, QChar digit);
    int backspace(int pos);
    int deleteForward(int pos);
    void clear(int from, int to);

private:
    bool isSlot(int pos) const { return layout_.at(pos) == QLatin1Char('9'); }
    bool matches(const QString& text, bool blanksAllowed) const;
    int skipLiterals(int pos) const;
    void startEditing();

    QString layout_;
    QString slots_;  // the value text: the layout with ' ' or '1'-'9' at each slot
    QString kept_;   // a text kept as set; null while the slots hold the content
};

}  // namespace stela
