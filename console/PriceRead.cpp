#include <algorithm>
#include <iterator>

#include "console/Console.h"
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

bool contentAccepted(const std::string& reply) {
    return reply.size() >= 12 && reply[0] == 'T' && reply[10] == 'O' && reply[11] == 'K';
}

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
        halfRead(addressCharacter(halfAddress(step.row, step.half)));
        if (contentAccepted(reply_)) {
            const std::string shown = logText(reply_.substr(2, 2) + "." + reply_.substr(4, 2));
            view_.setReadbackText(step.row, step.half, shown);
            view_.setReadbackColor(step.row, step.half, kReadbackGreen);
            if (step.refillsAll) {
                const auto grade = static_cast<unsigned char>(reply_[6]);
                const auto captions = static_cast<unsigned char>(reply_[7]);
                view_.setGradeIndex(step.row, int(grade) - 0x31);
                view_.setCaption1(step.row, (captions & 1) != 0);
                view_.setCaption2(step.row, (captions & 2) != 0);
            }
            view_.setPriceText(step.row, shown);
        } else {
            view_.appendLog("Принятые данные ошибочные:" + logText(reply_));
            view_.setReadbackColor(step.row, step.half, kReadbackRed);
            view_.setReadbackText(step.row, step.half, "XX.XX");
        }
        view_.setProgressPosition(i + 1 < steps ? kReadSteps[i + 1].position : 0);
        letEventsRunOrStop();
    }
}

void Console::halfRead(char addressChar) {
    const PolledExchange exchange = panelReadExchange(addressChar);
    for (int pass = 0;; ++pass) {
        reader_.run(exchange, reply_);
        const std::string computed = frameChecksum(std::string_view(reply_).substr(0, 12));
        const std::string received = reply_.substr(std::min<size_t>(12, reply_.size()), 2);
        view_.appendLog("Контрольная сумма принятая " + logText(received));
        view_.appendLog("Контрольная сумма расчитанная " + computed);
        // A reply to another half (late, or out of order) or one whose price
        // bytes are no price fails its pass as a checksum mismatch does.
        if (received == computed && answersReadOf(reply_, addressChar)) {
            return;
        }
        if (pass + 1 >= kMaxPasses) {
            reply_ = kBlankReply;
            return;
        }
    }
}

}  // namespace stela
