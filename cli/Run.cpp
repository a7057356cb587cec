#include "cli/Run.h"

#include <algorithm>
#include <memory>

#include "cli/AnswerDeadline.h"
#include "cli/Arguments.h"
#include "cli/Charset.h"
#include "cli/CheckOutput.h"
#include "cli/CliLanguage.h"
#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/InputError.h"
#include "cli/OutputFiles.h"
#include "cli/PortsCommand.h"
#include "cli/PriceFile.h"
#include "cli/Session.h"
#include "cli/Utf8.h"
#include "protocol/Clock.h"
#include "stela/Version.h"
#include "workflows/Journal.h"

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
    std::unique_ptr<std::ostream> log;
    try {
        parseArguments(argumentsInUtf8(rawArgs, env.charset), arguments);
        if (arguments.action == Action::Check && env.deadline != nullptr) {
            // From here nothing may keep a check past its limit (a prices file
            // on a pipe that never ends); the session prepares the answer for the sign.
            const CheckResult late = uncheckable(
                translateCli("the time limit (%1 s) ran out before the prices were read",
                             {std::to_string(arguments.timeoutSeconds)}));
            env.deadline->arm(env.startedMs + arguments.timeoutSeconds * 1000LL - kCheckGuardMs,
                              inCharset(pluginOutput(late), env.charset),
                              static_cast<int>(late.status));
        }
        if (!arguments.file.empty()) {
            arguments.rows = readPriceFile(arguments.file, arguments.encoding, env);
            if (std::none_of(arguments.rows.begin(), arguments.rows.end(),
                             [](const auto& r) { return r.has_value(); })) {
                throw InputError(
                    translateCli("--file %1: no rows in it", {escapedText(arguments.file)}));
            }
        }
        if (!arguments.logPath.empty()) {
            // Standard input has no name the log could share.
            log = openLog(arguments.logPath, arguments.file == "-" ? "" : arguments.file);
        }
    } catch (const InputError& error) {
        if (arguments.action == Action::Check) {  // a monitoring plugin's UNKNOWN
            const CheckResult refused = uncheckable(error.what());
            *env.out << pluginOutput(refused);
            return static_cast<int>(refused.status);
        }
        *env.err << "stela-cli: " << error.what() << "\n"
                 << translateCli("Try 'stela-cli --help'.") << "\n";
        return kBadArguments;
    }
    if (arguments.action == Action::Help) {
        *env.out << (arguments.helpOfCheck ? checkUsageText() : usageText());
        return kDone;
    }
    if (arguments.action == Action::Version) {
        *env.out << "stela-cli " << kVersion << "\n";
        return kDone;
    }
    if (arguments.action == Action::Ports) {
        return runPorts(arguments.format, env);
    }
    Session session(arguments, env, log.get());
    int status = session.run();
    if (env.journal != nullptr) {
        const std::string failure = env.journal->flush();
        if (!failure.empty()) {
            *env.err << "stela-cli: " << translateCli("journal not written: %1", {failure}) << "\n";
        }
    }
    // A log asked for and lost fails the run; the sign's own status comes first.
    if (log && !log->flush()) {
        *env.err << "stela-cli: "
                 << translateCli("--log %1: could not be written", {escapedText(arguments.logPath)})
                 << "\n";
        // check keeps to the plugin's four statuses; its status line told the sign's.
        status = status == kDone && arguments.action != Action::Check ? kLogFailed : status;
    }
    return status;
}

}  // namespace

int runCli(const std::vector<std::string>& args, const Environment& env) {
    speakCliLanguage(env.variables);
    // Whatever is printed passes in the terminal's charset, and nothing that
    // is not UTF-8 reaches it raw; nor, on stderr, any control character but
    // the line end (and the progress bar's return).
    CharsetOutput out(*env.out, env.charset);
    CharsetOutput err(*env.err, env.charset, "\n");
    CharsetOutput bar(*env.err, env.charset, "\r");
    std::ostream outStream(&out);
    std::ostream errStream(&err);
    std::ostream barStream(&bar);
    Environment local = env;
    if (local.startedMs < 0 && local.clock != nullptr) {
        local.startedMs = local.clock->now_ms();
    }
    local.out = &outStream;
    local.err = &errStream;
    local.progress = &barStream;
    return run(args, local);
}

}  // namespace stela::cli
