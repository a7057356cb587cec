#include "cli/Session.h"

#include <algorithm>

#include "cli/Charset.h"
#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/PortHint.h"
#include "cli/Utf8.h"
#include "console/Journal.h"
#include "console/PortTrouble.h"
#include "console/SignPort.h"
#include "protocol/Frames.h"
#include "protocol/ReplyReader.h"
#include "serial/EComPort.h"
#include "serial/PortNames.h"

namespace stela::cli {

namespace {

struct HalfRef {
    int row;
    Half half;
};

// The halves in the order the price write sends them: the bottom row first,
// each row's first half before its second.
std::array<HalfRef, 10> writeOrder() {
    std::array<HalfRef, 10> order{};
    std::size_t i = 0;
    for (int row = kRows; row >= 1; --row) {
        order[i++] = {row, Half::First};
        order[i++] = {row, Half::Second};
    }
    return order;
}

// The board search walks COM1..COM255; a listed device path or network port
// stands for the COM names that resolve to it.
bool listed(const std::vector<std::string>& ports, const std::string& candidate) {
    return std::any_of(ports.begin(), ports.end(), [&](const std::string& port) {
        return port == candidate || (comNumber(port) == 0 && devicePathForPort(candidate) == port);
    });
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
      out_(*env.out),
      err_(*env.err),
      stopSignal_(env.stopSignal),
      port_(*env.port),
      asciiJson_(env.charset != kUtf8),
      view_([this]() -> const std::string& { return console_.replyBuffer(); },
            [this](int address) { return console_.lastReadVerdict(address); },
            [this] { return stopSignal_() != 0; }),
      console_(view_, port_, *env.clock),
      bar_(env.progress ? *env.progress : *env.err, *env.clock, env.errIsTerminal) {
    loadSignPortSettings(port_);
    if (log != nullptr) {
        view_.addLogStream(*log);
    }
    if (args.verbose) {
        view_.addLogStream(err_);
    }
    if (env.journal != nullptr) {
        view_.addLogSink(*env.journal);
    }
    view_.setProgressBar(&bar_);
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
        std::string message = error.what();
        if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
            message += '.';
        }
        err_ << prefixed(escapedText(portLabel(port_.Port())) + ": " + message);
        const std::string hint = portHint(error, port_.Port());
        if (!hint.empty()) {
            err_ << hint << "\n";
        }
        // A write the port was lost in, or during its read-back: what the sign holds.
        for (const std::string& line : console_.lastWrite().lossLines()) {
            err_ << line << "\n";
        }
        return kNoSign;
    }
}

int Session::dispatch() {
    switch (args_.action) {
        case Action::Search:
            return search();
        case Action::Read:
            return read();
        case Action::Write:
            return write();
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
        port_.OnBeforeOpen = [ports](TCustomComPort& port) {
            if (!listed(ports, port.Port())) {
                throw EComPort(EComPort::kOpenFailed, ENOENT);
            }
        };
    }
    console_.boardSearch();
    port_.OnBeforeOpen = nullptr;
    if (view_.status().empty()) {
        err_ << prefixed(noSignMessage());
        return false;
    }
    if (args_.verbose && !view_.notices().empty()) {
        err_ << view_.notices().back() << "\n";
    }
    return true;
}

std::string Session::noSignMessage() const {
    std::string message = view_.notices().empty() ? "" : view_.notices().back();
    for (const std::string& port : args_.ports) {
        bool named = comNumber(port) != 0;
        for (int n = 1; n <= 255 && !named; ++n) {
            named = devicePathForPort("COM" + std::to_string(n)) == port;
        }
        if (!named) {
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

void Session::readWithProgress(const std::string& title) {
    bar_.start(title, kHalfCount);
    console_.readPrices();
    bar_.finish();
}

bool Session::readReport() {
    bool valid = true;
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            const auto& label = view_.readback(row, half);
            if (!label.valid()) {
                err_ << prefixed(halfName(row, half) + ": " + failureReason(label.state));
                valid = false;
            }
        }
        const auto& first = view_.readback(row, Half::First);
        const auto& second = view_.readback(row, Half::Second);
        if (first.valid() && second.valid() && !rowReadout(view_, row).valid) {
            err_ << prefixed(translateCli(
                "row %1: its halves differ: %2, and %3",
                {std::to_string(row), contentText(first.reply), contentText(second.reply)}));
            valid = false;
        }
    }
    return valid;
}

void Session::printReadout() {
    out_ << formatReadout(view_, escapedText(port_.Port()), args_.format, asciiJson_);
}

int Session::read() {
    if (!connect()) {
        return kNoSign;
    }
    readWithProgress(translateCli("read"));
    printReadout();
    return readReport() ? kDone : kNotConfirmed;
}

bool Session::rowsReadWhole() {
    bool whole = true;
    for (int row = 1; row <= kRows; ++row) {
        const auto& change = args_.rows[row];
        if ((change && change->whole()) || rowReadout(view_, row).valid) {
            continue;
        }
        std::string why;
        for (Half half : {Half::First, Half::Second}) {
            const auto& label = view_.readback(row, half);
            if (!label.valid() && why.empty()) {
                why = halfName(row, half) + ": " + failureReason(label.state);
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

void Session::applyRowChanges() {
    for (int row = 1; row <= kRows; ++row) {
        if (const auto& change = args_.rows[row]) {
            const PriceRowInputs in = change->appliedTo(view_.rowInputs(row));
            CliView::Row& r = view_.row(row);
            r.price = in.priceText;
            r.notUsed = in.notUsed;
            r.gradeIndex = in.gradeIndex;
            r.caption1 = in.caption1;
            r.caption2 = in.caption2;
        }
    }
}

void Session::printDryRun() {
    for (const HalfRef& h : writeOrder()) {
        out_ << composeWriteFrame(addressCharacter(halfAddress(h.row, h.half)),
                                  view_.rowInputs(h.row))
             << "\n";
    }
}

int Session::write() {
    const bool needsSign = std::any_of(args_.rows.begin() + 1, args_.rows.end(),
                                       [](const auto& c) { return !c || !c->whole(); });
    if (needsSign || !args_.dryRun) {
        if (!connect()) {
            return kNoSign;
        }
    }
    if (needsSign) {
        // As the window's grid after "Прочитать": what the sign holds.
        readWithProgress(translateCli("read"));
        if (!rowsReadWhole()) {
            return kNotConfirmed;
        }
    }
    applyRowChanges();
    if (args_.dryRun) {
        printDryRun();
        return kDone;
    }

    std::array<std::string, 10> frames;
    const auto order = writeOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        frames[i] = composeWriteFrame(addressCharacter(halfAddress(order[i].row, order[i].half)),
                                      view_.rowInputs(order[i].row));
    }
    bar_.start(translateCli("write"), kHalfCount);
    console_.writePrices();
    bar_.finish();
    // "Записать" reads back what the sign now holds.
    readWithProgress(translateCli("check"));
    printReadout();
    return writeConfirmed(frames) ? kDone : kNotConfirmed;
}

bool Session::writeConfirmed(const std::array<std::string, 10>& frames) {
    const auto order = writeOrder();
    const auto& unconfirmed = console_.unconfirmedWrites();
    bool confirmed = unconfirmed.empty();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (std::count(unconfirmed.begin(), unconfirmed.end(), frames[i]) > 0) {
            err_ << prefixed(translateCli("%1: the sign did not confirm %2",
                                          {halfName(order[i].row, order[i].half), frames[i]}));
        }
    }
    confirmed = readReport() && confirmed;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto& label = view_.readback(order[i].row, order[i].half);
        const auto sent = parseWriteFrame(frames[i]);
        const ReadReply& got = label.reply;
        if (label.valid() && sent &&
            (got.price != sent->price || got.grade != sent->grade ||
             got.captions != sent->captions)) {
            err_ << prefixed(
                translateCli("%1 holds %2, not what was written (%3)",
                             {halfName(order[i].row, order[i].half), contentText(got), frames[i]}));
            confirmed = false;
        }
    }
    return confirmed;
}

int Session::command() {
    if (!connect()) {
        return kNoSign;
    }
    SingleWaitExchange exchange;
    if (args_.action == Action::Effect) {
        view_.setDigit(DigitField::Effect, args_.level);
        console_.effect();
        exchange = effectExchange(args_.level);
    } else if (args_.automatic) {
        console_.automaticBrightness();
        exchange = automaticBrightnessExchange();
    } else {
        view_.setDigit(DigitField::Brightness, args_.level);
        console_.manualBrightness();
        exchange = manualBrightnessExchange(args_.level);
    }
    // The console's notice says it in the sign's words; the same test decides the status.
    out_ << view_.notices().back() << "\n";
    return exchange.isConfirmation(console_.replyBuffer()) ? kDone : kNotConfirmed;
}

}  // namespace stela::cli
