#include <algorithm>
#include <iterator>

#include "workflows/Console.h"
#include "i18n/Translate.h"
#include "protocol/Frames.h"
#include "protocol/LogText.h"

namespace stela {

namespace {

constexpr int kMaxPasses = 7;
const std::string kBlankReply(16, ' ');

// The ten half reads. Positions 4 and 5 are set twice: the bar has 8 steps.
struct ReadStep {
    int row;
    Half half;
    int position;     // set before the read
    bool refillsAll;  // grade and captions too, not only the price
};

constexpr ReadStep kReadSteps[] = {
    {5, Half::First, 1, true},   {4, Half::First, 2, true},   {3, Half::First, 3, true},
    {2, Half::First, 4, true},   {1, Half::First, 4, true},   {1, Half::Second, 5, false},
    {2, Half::Second, 5, false}, {3, Half::Second, 6, false}, {4, Half::Second, 7, false},
    {5, Half::Second, 8, true},
};

}  // namespace

void Console::readPrices() {
    runWithBusySetLocked(&Console::priceRead);
    view_.setBusySetEnabled(true);
}

void Console::letEventsRunOrStop() {
    if (!view_.processPendingEvents()) {
        throw WorkflowStopped{};
    }
}

void Console::priceRead() {
    if (!startProgress()) {
        throw WorkflowStopped{};
    }

    const int steps = static_cast<int>(std::size(kReadSteps));
    for (int i = 0; i < steps; ++i) {
        const ReadStep& step = kReadSteps[i];
        const ReadReply reply = halfRead(addressCharacter(halfAddress(step.row, step.half)));
        if (reply.framed) {
            const std::string shown = reply.priceText();
            view_.showReadback(step.row, step.half, shown, kReadbackGreen);
            std::optional<RowMarks> marks;
            if (step.refillsAll) {
                marks = RowMarks{reply.gradeIndex(), reply.caption1(), reply.caption2()};
            }
            view_.refillRow(step.row, shown, marks);
        } else {
            view_.appendLog(translateDefault("Принятые данные ошибочные:") + logText(reply_));
            view_.showReadback(step.row, step.half, "XX.XX", kReadbackRed);
        }
        view_.setProgressPosition(i + 1 < steps ? kReadSteps[i + 1].position : 0);
        letEventsRunOrStop();
    }
}

ReadReply Console::halfRead(char addressChar) {
    const PolledExchange exchange = panelReadExchange(addressChar);
    ReplyVerdict& verdict = verdicts_.at(static_cast<std::size_t>(addressOf(addressChar)));
    verdict = ReplyVerdict::Incomplete;
    for (int pass = 1;; ++pass) {
        reader_.run(exchange, reply_);
        const ReadReply reply = parseReadReply(reply_);
        view_.appendLog(translateDefault("Контрольная сумма принятая ") +
                        logText(reply.checksumReceived));
        view_.appendLog(translateDefault("Контрольная сумма расчитанная ") +
                        reply.checksumComputed);
        // A reply to another half (late, or out of order) or one whose price
        // bytes are no price fails its pass as a checksum mismatch does.
        verdict = std::max(verdict, reply.verdict(addressChar));
        if (reply.answers(addressChar)) {
            verdict = reply.verdict(addressChar);
            return reply;
        }
        if (pass == kMaxPasses) {
            reply_ = kBlankReply;
            return parseReadReply(reply_);
        }
    }
}

}  // namespace stela
