#include "cli/Session.h"

#include <algorithm>

#include "cli/ExitStatus.h"
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

// The board search walks COM1..COM255; a listed device path stands for the
// COM names that resolve to it.
bool listed(const std::vector<std::string>& ports, const std::string& candidate) {
    return std::any_of(ports.begin(), ports.end(), [&](const std::string& port) {
        return port == candidate || (port[0] == '/' && devicePathForPort(candidate) == port);
    });
}

// A half's content as a read shows it: "45.67, grade 95, caption1 yes, caption2 no".
std::string contentText(const ReadReply& reply) {
    return reply.priceText() + ", grade " + gradeName(reply.gradeIndex()) + ", caption1 " +
           (reply.caption1() ? "yes" : "no") + ", caption2 " + (reply.caption2() ? "yes" : "no");
}

}  // namespace

Session::Session(const Arguments& args, const Environment& env, std::ostream* log)
    : args_(args),
      out_(*env.out),
      err_(*env.err),
      stopSignal_(env.stopSignal),
      port_(*env.port),
      view_([this]() -> const std::string& { return console_.replyBuffer(); },
            [this] { return stopSignal_() != 0; }),
      console_(view_, port_, *env.clock),
      bar_(*env.err) {
    loadSignPortSettings(port_);
    if (log != nullptr) {
        view_.addLogStream(*log);
    }
    if (args.verbose) {
        view_.addLogStream(err_);
    }
    if (env.errIsTerminal) {
        view_.setProgressBar(&bar_);
    }
}

int Session::run() {
    try {
        return dispatch();
    } catch (const WorkflowStopped&) {
        bar_.hide();
        err_ << "stela-cli: stopped by signal " << stopSignal_() << "\n";
        return kSignalBase + stopSignal_();
    } catch (const EComPort& error) {
        bar_.hide();
        std::string message = error.what();
        if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
            message += '.';
        }
        err_ << "stela-cli: " << portLabel(port_.Port()) << ": " << message << "\n";
        const std::string hint = portTroubleHint(error, port_.Port());
        if (!hint.empty()) {
            err_ << hint << "\n";
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
        err_ << "stela-cli: " << noSignMessage() << "\n";
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
        bool named = port[0] != '/';
        for (int n = 1; n <= 255 && !named; ++n) {
            named = devicePathForPort("COM" + std::to_string(n)) == port;
        }
        if (!named) {
            message +=
                "\n" + port + ": no COM name stands for it, and the search walks COM1..COM255";
        }
    }
    return message;
}

int Session::search() {
    if (!connect()) {
        return kNoSign;
    }
    out_ << port_.Port() << "\n";
    return kDone;
}

void Session::readWithProgress(const char* title) {
    bar_.setTitle(title);
    console_.readPrices();
}

bool Session::halvesValid() {
    bool valid = true;
    for (int row = 1; row <= kRows; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            if (!view_.readback(row, half).valid) {
                err_ << "stela-cli: " << halfName(row, half)
                     << " shows XX.XX: no reply that passed its checksum\n";
                valid = false;
            }
        }
    }
    return valid;
}

int Session::read() {
    if (!connect()) {
        return kNoSign;
    }
    readWithProgress("read ");
    out_ << formatReadout(view_, port_.Port(), args_.format);
    return halvesValid() ? kDone : kNotConfirmed;
}

bool Session::rowsReadWhole() {
    bool whole = true;
    for (int row = 1; row <= kRows; ++row) {
        const auto& change = args_.rows[row];
        if (change && change->whole()) {
            continue;
        }
        for (Half half : {Half::First, Half::Second}) {
            if (!view_.readback(row, half).valid) {
                err_ << "stela-cli: " << halfName(row, half) << " could not be read, so row " << row
                     << " cannot keep what the sign holds; give it whole (price, grade, "
                        "caption1, caption2). Nothing was written.\n";
                whole = false;
            }
        }
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
        readWithProgress("read ");
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
    bar_.setTitle("write");
    console_.writePrices();
    // "Записать" reads back what the sign now holds.
    readWithProgress("check");
    out_ << formatReadout(view_, port_.Port(), args_.format);
    return writeConfirmed(frames) ? kDone : kNotConfirmed;
}

bool Session::writeConfirmed(const std::array<std::string, 10>& frames) {
    const auto order = writeOrder();
    const auto& unconfirmed = console_.unconfirmedWrites();
    bool confirmed = unconfirmed.empty();
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (std::count(unconfirmed.begin(), unconfirmed.end(), frames[i]) > 0) {
            err_ << "stela-cli: " << halfName(order[i].row, order[i].half)
                 << ": the sign did not confirm " << frames[i] << "\n";
        }
    }
    confirmed = halvesValid() && confirmed;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto& label = view_.readback(order[i].row, order[i].half);
        const auto sent = parseWriteFrame(frames[i]);
        const ReadReply& got = label.reply;
        if (label.valid && sent &&
            (got.price != sent->price || got.grade != sent->grade ||
             got.captions != sent->captions)) {
            err_ << "stela-cli: " << halfName(order[i].row, order[i].half) << " holds "
                 << contentText(got) << ", not what was written (" << frames[i] << ")\n";
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
