#include "cli/Run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "cli/Arguments.h"
#include "cli/Charset.h"
#include "cli/CliLanguage.h"
#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/InputError.h"
#include "cli/PriceFile.h"
#include "cli/Session.h"
#include "cli/Utf8.h"
#include "stela/Version.h"

namespace stela::cli {

namespace {

// The arguments as UTF-8: taken in the terminal's charset where that is
// another and they are not UTF-8 already.
std::vector<std::string> argumentsInUtf8(const std::vector<std::string>& args,
                                         const std::string& charset) {
    std::vector<std::string> out = args;
    if (charset != kUtf8) {
        for (std::string& arg : out) {
            if (firstNonUtf8(arg) != std::string::npos) {
                arg = toUtf8(arg, charset).value_or(arg);
            }
        }
    }
    return out;
}

int run(const std::vector<std::string>& rawArgs, const Environment& env) {
    Arguments arguments;
    std::unique_ptr<std::ofstream> log;
    try {
        arguments = parseArguments(argumentsInUtf8(rawArgs, env.charset));
        if (!arguments.file.empty()) {
            arguments.rows = readPriceFile(arguments.file, *env.in, env.charset);
            if (std::none_of(arguments.rows.begin(), arguments.rows.end(),
                             [](const auto& r) { return r.has_value(); })) {
                throw InputError(
                    translateCli("--file %1: no rows in it", {escapedText(arguments.file)}));
            }
        }
        if (!arguments.logPath.empty()) {
            log = std::make_unique<std::ofstream>(arguments.logPath, std::ios::trunc);
            if (!*log) {
                throw InputError(translateCli(
                    "--log %1: %2", {escapedText(arguments.logPath), std::strerror(errno)}));
            }
        }
    } catch (const InputError& error) {
        *env.err << "stela-cli: " << error.what() << "\n"
                 << translateCli("Try 'stela-cli --help'.") << "\n";
        return kBadArguments;
    }
    if (arguments.action == Action::Help) {
        *env.out << usageText();
        return kDone;
    }
    if (arguments.action == Action::Version) {
        *env.out << "stela-cli " << kVersion << "\n";
        return kDone;
    }
    Session session(arguments, env, log.get());
    const int status = session.run();
    if (log && !log->flush()) {
        *env.err << "stela-cli: "
                 << translateCli("--log %1: could not be written", {escapedText(arguments.logPath)})
                 << "\n";
    }
    return status;
}

}  // namespace

int runCli(const std::vector<std::string>& args, const Environment& env) {
    speakCliLanguage(env.variables);
    // Whatever is printed passes in the terminal's charset, and nothing that
    // is not UTF-8 reaches it raw.
    CharsetOutput out(*env.out, env.charset);
    CharsetOutput err(*env.err, env.charset);
    std::ostream outStream(&out);
    std::ostream errStream(&err);
    Environment local = env;
    local.out = &outStream;
    local.err = &errStream;
    return run(args, local);
}

}  // namespace stela::cli
