#pragma once

#include <optional>
#include <string>

#include "protocol/Frames.h"
#include "protocol/LogSink.h"

namespace stela {

struct Rgb {
    unsigned char r = 0, g = 0, b = 0;
    friend bool operator==(Rgb x, Rgb y) { return x.r == y.r && x.g == y.g && x.b == y.b; }
    friend bool operator!=(Rgb x, Rgb y) { return !(x == y); }
};

inline constexpr Rgb kReadbackGreen{0, 255, 0};
inline constexpr Rgb kReadbackRed{255, 0, 0};

// Thrown by a workflow that stopped early because the window is closing. It is
// not an error: there is nothing to report.
struct WorkflowStopped {};

// The two read-back columns: first half (address p) and second half (p + 8).
enum class Half { First, Second };

// What a read puts into a price row besides its price: the hidden grade
// selection and both caption boxes.
struct RowMarks {
    int gradeIndex = -1;  // outside 0..4: no selection
    bool caption1 = false;
    bool caption2 = false;
};

// The two one-digit fields of the brightness group.
enum class DigitField { Brightness, Effect };

// What the main window offers the workflows behind its buttons. The window
// implements it; console tests use a recording fake. Price rows are numbered
// 1 (top) to 5 (bottom). All texts are UTF-8.
class ConsoleView : public LogSink {
public:
    // Operation log: append a line at the end (LogSink::appendLog), or clear it.
    virtual void clearLog() = 0;

    virtual void setStatusText(const std::string& text) = 0;

    virtual void setProgressRange(int minimum, int maximum) = 0;
    virtual void setProgressPosition(int value) = 0;

    // Lets the window handle input and repaint; the workflows call it only at
    // their progress steps. Returns false once the operator has asked to close
    // the window: a read then stops at once, a write at the end of the row it
    // is writing, so that no panel is left with two different halves.
    virtual bool processPendingEvents() = 0;

    // The seven buttons that writing and reading lock while they run.
    virtual void setBusySetEnabled(bool enabled) = 0;

    // A price row's five inputs, read in this order: the price field (its
    // masked value, "dd.dd" with a blank for every empty place and every 0
    // digit: "  .  " when empty, "1 . 5" for 10.05), the not-used box, the
    // caption-1 box, the grade selection and the caption-2 box.
    virtual PriceRowInputs rowInputs(int row) = 0;
    // What a valid reply puts into its row: with `marks`, the grade selection
    // and the caption boxes first; then the price field's text.
    virtual void refillRow(int row, const std::string& priceText,
                           const std::optional<RowMarks>& marks) = 0;
    // A read-back label's text and text colour.
    virtual void showReadback(int row, Half half, const std::string& text, Rgb color) = 0;
    // A half's write has ended, confirmed or not. The window has no use for
    // it (its progress bar shows the write); a view that counts halves has.
    virtual void halfWritten(int /*row*/, Half /*half*/) {}

    // A one-digit field: " " when empty or 0, else its digit.
    virtual std::string digitText(DigitField field) = 0;

    // Modal message boxes captioned with the application title. errorReport
    // shows an error's message with an error icon, a full stop appended when
    // the message ends in a byte above '.'. The window shows in it whatever
    // std::exception escapes a workflow, so workflows need not catch errors
    // they do not handle.
    virtual void notice(const std::string& text) = 0;
    virtual void errorReport(const std::string& text) = 0;
};

}  // namespace stela
