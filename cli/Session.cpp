// What every stela-cli command shares: the session's parts, how it ends (a
// serial error, a stop) and which command it runs.
#include "cli/Session.h"

#include "cli/Charset.h"
#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/PortError.h"
#include "cli/PortHint.h"
#include "cli/Utf8.h"
#include "serial/EComPort.h"
#include "workflows/Journal.h"
#include "workflows/SignPort.h"

namespace stela::cli {

std::string Session::prefixed(const std::string& message) {
    return "stela-cli: " + message + "\n";
}

Session::Session(const Arguments& args, const Environment& env, std::ostream* log)
    : args_(args),
      clock_(*env.clock),
      startedMs_(env.startedMs),
      out_(*env.out),
      err_(*env.err),
      stopSignal_(env.stopSignal),
      port_(*env.port),
      charset_(env.charset),
      asciiJson_(env.charset != kUtf8),
      deadline_(env.deadline),
      journal_(env.journal),
      observer_([this] { return stopSignal_() != 0; }),
      console_(observer_, port_, clock_),
      bar_(env.progress ? *env.progress : *env.err, *env.clock, env.errIsTerminal) {
    loadSignPortSettings(port_);
    if (log != nullptr) {
        observer_.addLogStream(*log);
    }
    if (args.verbose) {
        observer_.addLogStream(err_);
    }
    if (env.journal != nullptr) {
        observer_.addLogSink(*env.journal);
    }
    observer_.setProgressBar(&bar_);
}

int Session::run() {
    try {
        return dispatch();
    } catch (const WorkflowStopped&) {
        bar_.finish();
        const int signal = stopSignal_();
        err_ << prefixed(translateCli("stopped by signal %1", {std::to_string(signal)}));
        // A write stopped at a row's end, or during its read-back: what the sign holds.
        for (const std::string& line : console_.lastWrite().lossLines(WriteAccount::Cut::Stopped)) {
            err_ << line << "\n";
        }
        return kSignalBase + signal;
    } catch (const EComPort& error) {
        bar_.finish();
        const std::vector<std::string> lines = portErrorLines(error);
        err_ << prefixed(lines.front());
        for (std::size_t i = 1; i < lines.size(); ++i) {
            err_ << lines[i] << "\n";
        }
        // A write the port was lost in, or during its read-back: what the sign holds.
        for (const std::string& line : console_.lastWrite().lossLines()) {
            err_ << line << "\n";
        }
        return kNoSign;
    }
}

std::vector<std::string> Session::portErrorLines(const EComPort& error) const {
    std::string message = portErrorText(error);
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        message += '.';
    }
    std::vector<std::string> lines{escapedText(port_.Address().label()) + ": " + message};
    const std::string hint = portHint(error, port_.Address());
    if (!hint.empty()) {
        lines.push_back(hint);
    }
    return lines;
}

int Session::dispatch() {
    switch (args_.action) {
        case Action::Search:
            return search();
        case Action::Read:
            return read();
        case Action::Write:
            return write();
        case Action::Check:
            return check();
        case Action::Brightness:
        case Action::Effect:
            return command();
        case Action::Help:
        case Action::Version:
        case Action::Ports:  // needs no sign (runPorts)
            break;
    }
    return kBadArguments;
}

}  // namespace stela::cli
