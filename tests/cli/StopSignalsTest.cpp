// Which signals stela-cli takes as a stop, each in a process of its own.
#include "cli/StopSignals.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

namespace stela::cli {
namespace {

void sendFromAnotherProcess(int signal) {
    const pid_t sender = ::fork();
    if (sender == 0) {
        ::kill(::getppid(), signal);
        ::_exit(0);
    }
    ::waitpid(sender, nullptr, 0);
}

// A journal grown past `ulimit -f`: its write fails with EFBIG, nothing stops.
[[noreturn]] void writePastTheFileSizeLimit() {
    const rlimit limit{16, 16};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    char path[] = "/tmp/stela-fsize-XXXXXX";
    const int fd = ::mkstemp(path);
    ::unlink(path);
    const std::string line(64, 'x');
    (void)!::write(fd, line.data(), line.size());
    const bool failed = ::write(fd, line.data(), line.size()) < 0 && errno == EFBIG;
    std::_Exit(failed && stopSignal() == 0 ? 0 : 1);
}

[[noreturn]] void stoppedBy(int signal) {
    sendFromAnotherProcess(signal);
    std::_Exit(stopSignal() == signal ? 0 : 1);
}

bool notExitedWell(int status) {
    return !WIFEXITED(status) || WEXITSTATUS(status) != 0;
}

TEST(StopSignals, OutsideSignalsStopAndTheProgramsOwnKeepTheirAction) {
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT((catchStopSignals(), writePastTheFileSizeLimit()), testing::ExitedWithCode(0), "");
    for (int signal : {SIGXFSZ, SIGSEGV, SIGABRT, SIGPWR, SIGRTMIN, SIGRTMAX}) {
        EXPECT_EXIT((catchStopSignals(), stoppedBy(signal)), testing::ExitedWithCode(0), "")
            << signal;
    }
    // Its own fault: as if never caught (the default, or a sanitizer's report).
    EXPECT_EXIT((catchStopSignals(), ::raise(SIGSEGV), std::_Exit(0)), notExitedWell, "");
}

}  // namespace
}  // namespace stela::cli
