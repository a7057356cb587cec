#include "app/MaskedEdit.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace stela {

MaskedEdit::MaskedEdit(const QString& layout, QWidget* parent)
    : QLineEdit(parent), content_(layout) {
    // Digits come as plain key presses; an input method has nothing to compose.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
    // Edits that bypass the key handling (the context menu, a middle-click
    // paste) are kept only when they leave a whole price in the layout's form.
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (content_.fitsLayout(text)) {
            content_.setText(text);
        }
        showContent(cursorPosition());
    });
    showContent(0);
}

void MaskedEdit::setValueText(const QString& text) {
    content_.setText(text);
    showContent(0);
}

void MaskedEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        typeText(QApplication::clipboard()->text());
    } else if (event->matches(QKeySequence::Cut)) {
        copy();
        clearSelection();
    } else if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        // Nothing to undo: every change replaces the whole text.
    } else if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        if (hasSelectedText()) {
            clearSelection();
        } else {
            showContent(content_.backspace(cursorPosition()));
        }
    } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        if (hasSelectedText()) {
            clearSelection();
        } else {
            showContent(content_.deleteForward(cursorPosition()));
        }
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint() &&
               !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        typeText(event->text());
    } else {
        // Cursor movement, selection, copy. Whatever else would change the
        // text comes back through textEdited and is undone there.
        QLineEdit::keyPressEvent(event);
    }
}

// Types each digit of text over the positions from the cursor on; other
// characters (the point included) are skipped, so "12.34" pastes as a price.
void MaskedEdit::typeText(const QString& text) {
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    if (std::none_of(text.begin(), text.end(), isDigit)) {
        return;
    }
    int cursor = cursorPosition();
    if (hasSelectedText()) {
        cursor = selectionStart();
        content_.clear(cursor, selectionEnd());
    }
    for (const QChar c : text) {
        const int next = content_.typeDigit(cursor, c);
        cursor = next >= 0 ? next : cursor;
    }
    showContent(cursor);
}

void MaskedEdit::clearSelection() {
    if (!hasSelectedText()) {
        return;
    }
    const int start = selectionStart();
    content_.clear(start, selectionEnd());
    showContent(start);
}

void MaskedEdit::showContent(int cursor) {
    QLineEdit::setText(content_.display());
    setCursorPosition(cursor);
}

}  // namespace stela
