#pragma once

#include <signal.h>

namespace stela {

// Every signal whose default action would end the program, taken as a request
// to stop: the program then ends at its next safe point (a write at the end of
// the row it is writing) instead of at once.
//
// - Sent from outside or by the system: a shutdown or logout (TERM, HUP), the
//   terminal (INT, QUIT), a reader gone (PIPE), USR1/2, timers (ALRM, VTALRM,
//   PROF), XCPU, IO, PWR, STKFLT and the real-time signals but one: the
//   program's own threadWakeSignal, which does nothing.
// - XFSZ raised by a file grown past `ulimit -f` is let pass: the write fails
//   with EFBIG and is reported as such (a journal that cannot be written stops
//   nothing). Sent by another process, it is a stop like the others.
// - A fault (SEGV, BUS, ILL, FPE, ABRT, TRAP, SYS) of the program's own keeps
//   the action it had (its default, or a sanitizer's report); one that another
//   process sent with kill(2) or sigqueue(3) is a stop like the others.
//
// POSIX only; on Windows the console's stops come as os/win/ConsoleStops.h says.

enum class RepeatedSignal {
    SameStop,    // any later signal is taken as the same stop
    EndsAtOnce,  // a second one of a kind takes its default action (SIGPIPE aside)
};

// Installs the handler; `onFirst` (async-signal-safe, may be null) runs in it
// when the first stop comes. Replaces an earlier installation.
void catchTerminatingSignals(RepeatedSignal repeated, void (*onFirst)(int signal));

// Puts back the actions catchTerminatingSignals replaced, and forgets the stop.
void releaseTerminatingSignals();

// The signal of the first stop; 0 while none has come.
int firstTerminatingSignal();

// The signals sent from outside (the first group above, XFSZ and every
// real-time signal included), for a program that takes them from a signalfd.
sigset_t asynchronousTerminatingSignals();

// The real-time signal the program sends its own threads to break a blocking
// wait (a modem-line waiter's ioctl). Its handler, installed once and kept,
// does nothing and restarts nothing, so that the wait ends with EINTR.
int threadWakeSignal();
void catchThreadWakeSignal();

}  // namespace stela
