#include "cli/Run.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "cli/Arguments.h"
#include "cli/ExitStatus.h"
#include "cli/InputError.h"
#include "cli/PortsCommand.h"
#include "cli/Session.h"

namespace stela::cli {

int runCli(const std::vector<std::string>& args, const Environment& env) {
    Arguments arguments;
    std::unique_ptr<std::ofstream> log;
    try {
        arguments = parseArguments(args);
        if (!arguments.logPath.empty()) {
            log = std::make_unique<std::ofstream>(arguments.logPath, std::ios::trunc);
            if (!*log) {
                throw InputError("--log " + arguments.logPath + ": " + std::strerror(errno));
            }
        }
    } catch (const InputError& error) {
        *env.err << "stela-cli: " << error.what() << "\nTry 'stela-cli --help'.\n";
        return kBadArguments;
    }
    if (arguments.action == Action::Help) {
        *env.out << kUsage;
        return kDone;
    }
    if (arguments.action == Action::Ports) {
        return runPorts(arguments.format, env);
    }
    Session session(arguments, env, log.get());
    const int status = session.run();
    if (log && !log->flush()) {
        *env.err << "stela-cli: --log " << arguments.logPath << ": could not be written\n";
    }
    return status;
}

}  // namespace stela::cli
