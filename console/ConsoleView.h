#pragma once

#include <string>

#include "protocol/LogSink.h"

namespace stela {

struct Rgb {
    unsigned char r = 0, g = 0, b = 0;
    friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
    friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};

inline constexpr Rgb kReadbackGreen{0, 255, 0};
inline constexpr Rgb kReadbackRed{255, 0, 0};

// Thrown by a workflow that stopped early because the window is closing. It is
// not an error: there is nothing to report.
struct WorkflowStopped {};

// The two read-back columns: first half (address p) and second half (p + 8).
enum class Half { First, Second };

// What the main window offers the workflows behind its buttons. The window
// implements it; console tests use a recording fake. Price rows are numbered
// 1 (top) to 5 (bottom). All texts are UTF-8.
class ConsoleView : public LogSink {
public:
    // Operation log: append a line at the end (LogSink::appendLog), or clear it.
    virtual void clearLog() = 0;

    virtual void setStatusText(const std::string& text) = 0;

    virtual void setProgressMin(int value) = 0;
    virtual void setProgressMax(int value) = 0;
    virtual void setProgressPosition(int value) = 0;

    // Lets the window handle input and repaint; the workflows call it only at
    // their progress steps. Returns false once the operator has asked to close
    // the window: a read then stops at once, a write at the end of the row it
    // is writing, so that no panel is left with two different halves.
    virtual bool processPendingEvents() = 0;

    // The seven buttons that writing and reading lock while they run.
    virtual void setBusySetEnabled(bool enabled) = 0;

    // Price row inputs. priceText gives the masked-field value: 5 characters
    // "dd.dd" with a blank for every empty position and every 0 digit
    // ("  .  " when empty, "1 . 5" for 10.05).
    virtual std::string priceText(int row) = 0;
    virtual bool notUsed(int row) = 0;
    virtual bool caption1(int row) = 0;
    virtual int gradeIndex(int row) = 0;  // -1 (none) or 0..4
    virtual bool caption2(int row) = 0;

    virtual void setPriceText(int row, const std::string& text) = 0;
    virtual void setGradeIndex(int row, int index) = 0;  // outside 0..4: no selection
    virtual void setCaption1(int row, bool checked) = 0;
    virtual void setCaption2(int row, bool checked) = 0;

    // One-digit fields: " " when empty or 0, else the digit.
    virtual std::string brightnessDigitText() = 0;
    virtual std::string effectDigitText() = 0;

    virtual void setReadbackText(int row, Half half, const std::string& text) = 0;
    virtual void setReadbackColor(int row, Half half, Rgb color) = 0;

    // Modal message boxes captioned with the application title. errorReport
    // shows an error's message with an error icon, a full stop appended when
    // the message ends in a byte above '.'. The window shows in it whatever
    // std::exception escapes a workflow, so workflows need not catch errors
    // they do not handle.
    virtual void notice(const std::string& text) = 0;
    virtual void errorReport(const std::string& text) = 0;
};

}  // namespace stela
