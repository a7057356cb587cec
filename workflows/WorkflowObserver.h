#pragma once

#include "protocol/LogSink.h"
#include "workflows/Outcomes.h"

namespace stela {

// A write or read runs its progress from 0 to this many steps.
inline constexpr int kProgressSteps = 8;

// What a running workflow tells the front end that started it, and the one
// thing it asks of it. It carries what happened, in the words of the sign:
// the window paints from it, stela-cli prints from it.
class WorkflowObserver : public LogSink {
public:
    // appendLog (LogSink): a line of the operation log, UTF-8.

    // A write or read has reached `step` of kProgressSteps (0: it is starting
    // over, or done).
    virtual void progress(int step) = 0;
    // A half's write has ended, confirmed or not.
    virtual void halfWritten(int /*row*/, Half /*half*/, bool /*confirmed*/) {}
    // A half's read has ended, with what came of it.
    virtual void halfRead(int /*row*/, Half /*half*/, const HalfRead& /*read*/) {}
    // Lets the front end handle its input, at the progress steps of a read and
    // between the rows of a write only. True once the operator (or a
    // termination signal) asks to stop: a read then stops at once, a write
    // before its next row, so that no panel is left with two different halves.
    virtual bool stopNow() = 0;
    // The progress step between the two halves of a row, where nothing may end
    // the write: the front end may repaint, but takes no input until the row
    // is whole (a window whose display went away would be ended at once).
    virtual void betweenHalves() {}
};

}  // namespace stela
