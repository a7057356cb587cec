#include "cli/Session.h"

#include <algorithm>

#include "cli/Charset.h"
#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/PortError.h"
#include "cli/PortHint.h"
#include "cli/Readout.h"
#include "cli/Utf8.h"
#include "protocol/Frames.h"
#include "serial/EComPort.h"
#include "serial/PortNames.h"
#include "workflows/Journal.h"
#include "workflows/SignPort.h"

namespace stela::cli {

namespace {

// The board search walks COM1..COM255; a given device path or network port
// stands for the COM names that lead to it.
bool standsFor(const std::string& port, const PortAddress& candidate) {
    return port == candidate.name() || (comNumber(port) == 0 && candidate.device() == port);
}

// A half's content as a read shows it: "45.67, grade 95, caption1 yes, caption2 no".
std::string contentText(const ReadReply& reply) {
    return translateCli("%1, grade %2, caption1 %3, caption2 %4",
                        {reply.priceText(), gradeName(reply.gradeIndex()),
                         reply.caption1() ? translateCli("yes") : translateCli("no"),
                         reply.caption2() ? translateCli("yes") : translateCli("no")});
}

std::string prefixed(const std::string& message) {
    return "stela-cli: " + message + "\n";
}

}  // namespace

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
    std::string message = portErrorText(error, port_.Address());
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

bool Session::connect() {
    if (args_.ports.size() == 1 && args_.action != Action::Search) {
        port_.SetPort(args_.ports.front());
        port_.Open();
        return true;
    }
    if (!args_.ports.empty()) {
        const std::vector<std::string> ports = args_.ports;
        port_.OnBeforeOpen = [this, ports](TCustomComPort& port) {
            bool listed = false;
            for (const std::string& given : ports) {
                if (standsFor(given, port.Address())) {
                    reached_.insert(given);
                    listed = true;
                }
            }
            if (!listed) {
                throw EComPort(EComPort::kOpenFailed, ENOENT);
            }
        };
    }
    const SearchOutcome search = console_.boardSearch();
    port_.OnBeforeOpen = nullptr;
    if (search.openError) {
        throw *search.openError;
    }
    if (search.port.empty()) {
        noSign_ = noSignMessage(search);
        if (args_.action != Action::Check) {  // check tells it in its status line
            err_ << prefixed(noSign_);
        }
        return false;
    }
    if (args_.verbose) {
        err_ << searchNotice(search) << "\n";
    }
    return true;
}

std::string Session::noSignMessage(const SearchOutcome& search) const {
    std::string message = searchNotice(search);
    for (const std::string& port : args_.ports) {
        if (comNumber(port) == 0 && reached_.count(port) == 0) {
            message += "\n" + translateCli(
                                  "%1: no COM name stands for it, and the search walks "
                                  "COM1..COM255",
                                  {escapedText(port)});
        }
    }
    return message;
}

int Session::search() {
    if (!connect()) {
        return kNoSign;
    }
    out_ << escapedText(port_.Port()) << "\n";
    return kDone;
}

ReadOutcome Session::readWithProgress(const std::string& title,
                                      std::optional<std::int64_t> deadlineMs) {
    bar_.start(title, kHalfCount);
    ReadOutcome read = deadlineMs ? console_.readPrices(*deadlineMs) : console_.readPrices();
    bar_.finish();
    return read;
}

bool Session::readReport(const ReadOutcome& read) {
    bool valid = true;
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            const HalfRead& got = read.at(row, half);
            if (!got.valid()) {
                err_ << prefixed(halfName(row, half) + ": " + failureReason(got.verdict));
                valid = false;
            }
        }
        const HalfRead& first = read.at(row, Half::First);
        const HalfRead& second = read.at(row, Half::Second);
        if (first.valid() && second.valid() && !rowReadout(read, row).valid) {
            err_ << prefixed(translateCli(
                "row %1: its halves differ: %2, and %3",
                {std::to_string(row), contentText(first.reply), contentText(second.reply)}));
            valid = false;
        }
    }
    return valid;
}

void Session::printReadout(const ReadOutcome& read) {
    out_ << formatReadout(read, escapedText(port_.Port()), args_.format, asciiJson_);
}

int Session::read() {
    if (!connect()) {
        return kNoSign;
    }
    const ReadOutcome read = readWithProgress(translateCli("read"));
    printReadout(read);
    return readReport(read) ? kDone : kNotConfirmed;
}

bool Session::rowsReadWhole(const ReadOutcome& read) {
    bool whole = true;
    for (int row = 1; row <= kRows; ++row) {
        const auto& change = args_.rows[row];
        if ((change && change->whole()) || rowReadout(read, row).valid) {
            continue;
        }
        std::string why;
        for (Half half : {Half::First, Half::Second}) {
            const HalfRead& got = read.at(row, half);
            if (!got.valid() && why.empty()) {
                why = halfName(row, half) + ": " + failureReason(got.verdict);
            }
        }
        if (why.empty()) {
            why = translateCli("row %1: its halves differ", {std::to_string(row)});
        }
        err_ << prefixed(translateCli(
            "%1, so row %2 cannot keep what the sign holds; give it whole (price, grade, "
            "caption1, caption2). Nothing was written.",
            {why, std::to_string(row)}));
        whole = false;
    }
    return whole;
}

std::array<PriceRowInputs, kRows + 1> Session::rowsToWrite(
    const std::optional<ReadOutcome>& read) const {
    std::array<PriceRowInputs, kRows + 1> rows{};
    for (int row = 1; row <= kRows; ++row) {
        // A new window's row: an empty price field, the grade "80", clear boxes;
        // then what the read put into it, as the window's grid takes a read.
        PriceRowInputs& in = rows[row] = {"  .  ", false, 0, false, false};
        for (Half half : {Half::First, Half::Second}) {
            const auto refill = read ? rowRefill(row, half, read->at(row, half)) : std::nullopt;
            if (refill && refill->marks) {
                in.gradeIndex = refill->marks->gradeIndex;
                in.caption1 = refill->marks->caption1;
                in.caption2 = refill->marks->caption2;
            }
            if (refill) {
                in.priceText = refill->priceText;
            }
        }
        if (const auto& change = args_.rows[row]) {
            in = change->appliedTo(in);
        }
    }
    return rows;
}

int Session::write() {
    const bool needsSign = std::any_of(args_.rows.begin() + 1, args_.rows.end(),
                                       [](const auto& c) { return !c || !c->whole(); });
    if (needsSign || !args_.dryRun) {
        if (!connect()) {
            return kNoSign;
        }
    }
    std::optional<ReadOutcome> held;
    if (needsSign) {
        // As the window's grid after "Прочитать": what the sign holds.
        held = readWithProgress(translateCli("read"));
        if (!rowsReadWhole(*held)) {
            return kNotConfirmed;
        }
    }
    const auto rows = rowsToWrite(held);
    const PriceRows rowAt = [&rows](int row) { return rows.at(std::size_t(row)); };
    if (args_.dryRun) {
        for (const WriteStep& step : plannedWrite(rowAt)) {
            out_ << step.frame << "\n";
        }
        return kDone;
    }
    bar_.start(translateCli("write"), kHalfCount);
    const WriteOutcome written = console_.writePrices(rowAt);
    bar_.finish();
    // "Записать" reads back what the sign now holds.
    const ReadOutcome readBack = readWithProgress(translateCli("check"));
    printReadout(readBack);
    return writeConfirmed(written, readBack) ? kDone : kNotConfirmed;
}

bool Session::writeConfirmed(const WriteOutcome& written, const ReadOutcome& readBack) {
    bool confirmed = true;
    for (const WriteStep& step : written.sent) {
        if (written.account.state(step.row, step.half) != WriteAccount::State::Confirmed) {
            err_ << prefixed(translateCli("%1: the sign did not confirm %2",
                                          {halfName(step.row, step.half), step.frame}));
            confirmed = false;
        }
    }
    confirmed = readReport(readBack) && confirmed;
    for (const WriteStep& step : written.sent) {
        const HalfRead& got = readBack.at(step.row, step.half);
        const auto sent = parseWriteFrame(step.frame);
        if (got.valid() && sent &&
            (got.reply.price != sent->price || got.reply.grade != sent->grade ||
             got.reply.captions != sent->captions)) {
            err_ << prefixed(
                translateCli("%1 holds %2, not what was written (%3)",
                             {halfName(step.row, step.half), contentText(got.reply), step.frame}));
            confirmed = false;
        }
    }
    return confirmed;
}

int Session::command() {
    if (!connect()) {
        return kNoSign;
    }
    const CommandOutcome outcome = args_.action == Action::Effect ? console_.effect(args_.level)
                                   : args_.automatic              ? console_.automaticBrightness()
                                                     : console_.manualBrightness(args_.level);
    // The window's notice says it in the sign's words.
    out_ << commandNotice(outcome) << "\n";
    return outcome.confirmed ? kDone : kNotConfirmed;
}

}  // namespace stela::cli
