#include "os/TerminatingSignals.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <iterator>

namespace stela {
namespace {

constexpr int kFromOutside[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,   SIGPIPE,
                                SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
                                SIGXCPU, SIGXFSZ, SIGIO,   SIGPWR,    SIGSTKFLT};
constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS};

volatile std::sig_atomic_t first = 0;
RepeatedSignal repeatedAs = RepeatedSignal::SameStop;
void (*notifyFirst)(int) = nullptr;
struct sigaction replaced[_NSIG];
bool installed[_NSIG];

bool isFault(int signal) {
    return std::find(std::begin(kFaults), std::end(kFaults), signal) != std::end(kFaults);
}

// kill(2), sigqueue(3) or tgkill(2) from elsewhere. The kernel's own signals
// carry no sender, or the program's pid (a file grown past its limit), as do
// the program's raise() and abort().
bool sentByAnotherProcess(const siginfo_t& info) {
    return (info.si_code == SI_USER || info.si_code == SI_QUEUE || info.si_code == SI_TKILL) &&
           info.si_pid != ::getpid();
}

// A fault of the program's own gets the action it had, as if never caught: a
// faulting instruction faults again when the handler returns; anything else
// (abort(), a seccomp trap) is raised again, to come once the handler returns.
void actAsBefore(int signal, const siginfo_t& info) {
    ::sigaction(signal, &replaced[signal], nullptr);
    const bool recurs = info.si_code > 0 && (signal == SIGSEGV || signal == SIGBUS ||
                                             signal == SIGILL || signal == SIGFPE);
    if (!recurs) {
        ::raise(signal);
    }
}

void onSignal(int signal, siginfo_t* info, void*) {
    const int savedErrno = errno;
    const bool fromOutside = sentByAnotherProcess(*info);
    if (!fromOutside && isFault(signal)) {
        actAsBefore(signal, *info);
    } else if (fromOutside || signal != SIGXFSZ) {
        if (first == 0) {
            first = signal;
            if (notifyFirst != nullptr) {
                notifyFirst(signal);
            }
        }
        if (repeatedAs == RepeatedSignal::EndsAtOnce && signal != SIGPIPE) {
            struct sigaction ending {};
            ending.sa_handler = SIG_DFL;
            ::sigaction(signal, isFault(signal) ? &replaced[signal] : &ending, nullptr);
        }
    }
    errno = savedErrno;
}

template <typename Each>
void forEachTerminatingSignal(Each each) {
    for (int signal : kFromOutside) {
        each(signal);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        if (signal != threadWakeSignal()) {
            each(signal);
        }
    }
    for (int signal : kFaults) {
        each(signal);
    }
}

}  // namespace

void catchTerminatingSignals(RepeatedSignal repeated, void (*onFirst)(int)) {
    catchThreadWakeSignal();  // from outside, too, it is no reason to end
    first = 0;
    repeatedAs = repeated;
    notifyFirst = onFirst;
    struct sigaction action {};
    action.sa_sigaction = onSignal;
    // On a sanitizer's alternate stack where there is one: a stack overflow is
    // then still handed on to its report.
    action.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
    action.sa_mask = asynchronousTerminatingSignals();
    forEachTerminatingSignal([&action](int signal) {
        ::sigaction(signal, &action, installed[signal] ? nullptr : &replaced[signal]);
        installed[signal] = true;
    });
}

void releaseTerminatingSignals() {
    forEachTerminatingSignal([](int signal) {
        if (installed[signal]) {
            ::sigaction(signal, &replaced[signal], nullptr);
            installed[signal] = false;
        }
    });
    first = 0;
    notifyFirst = nullptr;
}

int firstTerminatingSignal() {
    return first;
}

sigset_t asynchronousTerminatingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kFromOutside) {
        sigaddset(&set, signal);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        sigaddset(&set, signal);
    }
    return set;
}

int threadWakeSignal() {
    return SIGRTMIN + 5;
}

void catchThreadWakeSignal() {
    static const bool caught = [] {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        return ::sigaction(threadWakeSignal(), &action, nullptr) == 0;
    }();
    (void)caught;
}

}  // namespace stela
