#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>

#include "os/FileDescriptor.h"

class QWidget;

namespace stela {

// The signals whose default would end the program (os/TerminatingSignals.h: a
// shutdown or logout, a closed terminal, Ctrl-C, kill, ...) brought to the
// event loop. The handler only notes the first and writes it to a pipe, which
// a socket notifier reads on the user-interface thread, where `onSignal` runs;
// so the window learns of it at its next look at its events, as of its close
// box. Any later signal is taken as the same stop (systemd follows SIGTERM
// with SIGHUP), so nothing ends the window amid a row. One object at a time;
// destroying it puts back the handlers it replaced. On Windows, the console's
// Ctrl+C, Ctrl+Break and close in the same way.
class TerminationSignals : public QObject {
public:
    explicit TerminationSignals(std::function<void(int signal)> onSignal);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The first signal caught; 0 while none has come.
    static int received();

    // Runs onSignal with it, on the user-interface thread.
    void deliver();

private:
    void readPipe();

    std::function<void(int)> onSignal_;
    // POSIX: the handler writes to the pipe; the notifier wakes the event loop
    // on its read end. Windows (win/) hands the event to the event loop as a call.
    FileDescriptor readEnd_;
    FileDescriptor writeEnd_;
    QSocketNotifier* notifier_ = nullptr;
};

// What a termination signal does to the main window: what the close box does
// (a write finishes the row it is writing and stops, the read-back is skipped,
// the window closes), after a notice or dialog that is up has been dismissed,
// since nobody may be there to answer it.
void closeAsTheCloseBoxDoes(QWidget& window);

}  // namespace stela
