// stela-sim: a simulated price sign on a pseudo-terminal. See --help.
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "os/FileDescriptor.h"
#include "os/StandardStreams.h"
#include "os/TerminatingSignals.h"
#include "sim/SignModel.h"
#include "sim/tool/ComLink.h"
#include "sim/tool/PseudoTerminal.h"
#include "sim/tool/PylonDisplay.h"
#include "sim/tool/SimOptions.h"
#include "sim/tool/SimServer.h"
#include "stela/Version.h"

namespace {

// The stop and resize signals arrive on a descriptor instead of interrupting
// us: any signal from outside that would end the program stops the sign
// cleanly, its COM link removed. SIGPIPE stays ignored (below).
int openSignalFd() {
    sigset_t mask = stela::asynchronousTerminatingSignals();
    sigdelset(&mask, SIGPIPE);
    sigaddset(&mask, SIGWINCH);
    if (sigprocmask(SIG_BLOCK, &mask, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
}

int run(const stela::SimOptions& options) {
    using namespace stela;
    std::signal(SIGPIPE, SIG_IGN);  // a reader that went away must not kill us before cleanup
    const FileDescriptor signalFd(openSignalFd());
    if (!signalFd.valid()) {
        std::perror("stela-sim: signalfd");
        return 1;
    }
    SignModel sign;
    sign.setProcessingDelay(options.processingDelay);
    sign.setIdleGap(options.idleGap);
    for (const auto& [address, content] : options.content) {
        sign.setHalf(address, content);
    }
    for (const Fault& fault : options.faults) {
        sign.addFault(fault);
    }

    PseudoTerminal pty;
    std::unique_ptr<ComLink> link;
    if (options.com != 0) {
        link = std::make_unique<ComLink>(options.com, pty.slavePath());
    }
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    std::string title = "stela-sim  " + pty.slavePath();
    if (options.com != 0) {
        title += "  COM" + std::to_string(options.com);
    }
    const DisplayMode mode = options.quiet           ? DisplayMode::Quiet
                             : isatty(STDOUT_FILENO) ? DisplayMode::Screen
                                                     : DisplayMode::Plain;
    PylonDisplay display(sign, mode, title);
    sign.setObserver(&display);
    const int status = serveSign(sign, pty.masterFd(), signalFd.get(), display);
    sign.setObserver(nullptr);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    stela::openStandardStreams();  // before anything is opened
    try {
        const stela::SimOptions options =
            stela::parseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::fputs(stela::simUsage().c_str(), stdout);
            return 0;
        }
        if (options.version) {
            std::printf("stela-sim %s\n", stela::kVersion);
            return 0;
        }
        return run(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "stela-sim: %s\n", e.what());
        return 1;
    }
}
