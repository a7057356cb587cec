#include <algorithm>
#include <iterator>

#include "i18n/FilledText.h"
#include "i18n/Translate.h"
#include "protocol/Frames.h"
#include "protocol/LogText.h"
#include "workflows/Console.h"
#include "workflows/PriceRows.h"

namespace stela {

namespace {

constexpr int kMaxPasses = 7;
const std::string kBlankReply(16, ' ');

// The ten half reads. Positions 4 and 5 are set twice: the bar has 8 steps.
struct ReadStep {
    int row;
    Half half;
    int position;  // set before the read
};

constexpr ReadStep kReadSteps[] = {
    {5, Half::First, 1},  {4, Half::First, 2},  {3, Half::First, 3},  {2, Half::First, 4},
    {1, Half::First, 4},  {1, Half::Second, 5}, {2, Half::Second, 5}, {3, Half::Second, 6},
    {4, Half::Second, 7}, {5, Half::Second, 8},
};

// What a half's read came to, by the furthest verdict its passes got.
HalfVerdict halfVerdict(ReplyVerdict verdict) {
    switch (verdict) {
        case ReplyVerdict::Incomplete:
            return HalfVerdict::NoReply;
        case ReplyVerdict::BadChecksum:
            return HalfVerdict::BadChecksum;
        case ReplyVerdict::WrongAddress:
            return HalfVerdict::WrongAddress;
        case ReplyVerdict::NoPrice:
            return HalfVerdict::Unused;
        case ReplyVerdict::Price:
            return HalfVerdict::Answered;
        default:
            return HalfVerdict::NotAPrice;
    }
}

}  // namespace

std::optional<RowRefill> rowRefill(int row, Half half, const HalfRead& read) {
    if (!read.reply.framed) {
        return std::nullopt;
    }
    RowRefill refill{read.reply.priceText(), std::nullopt};
    if (half == Half::First || row == 5) {
        refill.marks =
            RowMarks{read.reply.gradeIndex(), read.reply.caption1(), read.reply.caption2()};
    }
    return refill;
}

ReadOutcome Console::readPrices() {
    return read(std::nullopt);
}

ReadOutcome Console::readPrices(std::int64_t deadlineMs) {
    return read(deadlineMs);
}

ReadOutcome Console::read(std::optional<std::int64_t> deadlineMs) {
    deadlineMs_ = deadlineMs;
    noteLockFolderTrouble(LogOperation::Read);
    if (!startProgress()) {
        throw WorkflowStopped{};
    }
    ReadOutcome outcome;
    const int steps = static_cast<int>(std::size(kReadSteps));
    for (int i = 0; i < steps; ++i) {
        const ReadStep& step = kReadSteps[i];
        HalfRead& read = outcome.at(step.row, step.half);
        read = halfRead(step.row, step.half, steps - 1 - i, outcome.cutShort);
        if (!read.reply.framed && read.verdict != HalfVerdict::NotRead) {
            observer_.appendTagged(
                {LogOperation::Read, LogEvent::Error},
                translateDefault("Принятые данные ошибочные:") + logText(reply_));
        }
        observer_.halfRead(step.row, step.half, read);
        observer_.progress(i + 1 < steps ? kReadSteps[i + 1].position : 0);
        if (observer_.stopNow()) {
            throw WorkflowStopped{};
        }
    }
    return outcome;
}

bool Console::passFits(const PolledExchange& exchange, int halvesAfter) const {
    if (!deadlineMs_) {
        return true;
    }
    const std::int64_t pass = std::max<std::int64_t>(reader_.sleepsMs(exchange), longestPassMs_);
    return clock_.now_ms() + pass * (1 + halvesAfter) <= *deadlineMs_;
}

HalfRead Console::halfRead(int row, Half half, int halvesAfter, bool& cut) {
    const char addressChar = addressCharacter(halfAddress(row, half));
    const PolledExchange exchange = panelReadExchange(addressChar);
    ReplyVerdict furthest = ReplyVerdict::Incomplete;
    for (int pass = 1;; ++pass) {
        // A first pass needs only its own time; a repeat leaves one for each half after it.
        if (!passFits(exchange, pass == 1 ? 0 : halvesAfter)) {
            cut = true;
            observer_.appendTagged(
                {LogOperation::Read, LogEvent::Error},
                filled(markDefault("--- Панель %1: время чтения вышло, попыток: %2 ---"),
                       {logText(std::string(1, addressChar)), std::to_string(pass - 1)}));
            reply_ = kBlankReply;
            return {pass == 1 ? HalfVerdict::NotRead : halfVerdict(furthest), parseReadReply(reply_)};
        }
        const std::int64_t started = clock_.now_ms();
        reader_.run(exchange, reply_);
        longestPassMs_ = std::max(longestPassMs_, clock_.now_ms() - started);
        const ReadReply reply = parseReadReply(reply_);
        const LogTag checksum{LogOperation::Read, LogEvent::Checksum};
        observer_.appendTagged(checksum, translateDefault("Контрольная сумма принятая ") +
                                             logText(reply.checksumReceived));
        observer_.appendTagged(
            checksum, translateDefault("Контрольная сумма расчитанная ") + reply.checksumComputed);
        // A reply to another half (late, or out of order) or one whose price
        // bytes are no price characters fails its pass as a checksum mismatch does.
        const ReplyVerdict verdict = readReplyVerdict(reply, addressChar);
        furthest = std::max(furthest, verdict);
        if (answersRead(verdict)) {
            return {halfVerdict(verdict), reply};
        }
        if (pass == kMaxPasses) {
            reply_ = kBlankReply;
            return {halfVerdict(furthest), parseReadReply(reply_)};
        }
    }
}

}  // namespace stela
