#include "workflows/WriteAccount.h"

#include "i18n/FilledText.h"
#include "i18n/Translate.h"

namespace stela {
namespace {

constexpr int kRowCount = 5;

std::string rowList(const std::vector<int>& rows) {
    std::string list;
    for (int row : rows) {
        list += (list.empty() ? "" : ", ") + std::to_string(row);
    }
    return list;
}

std::string stateText(WriteAccount::State state) {
    switch (state) {
        case WriteAccount::State::Confirmed:
            return translateDefault("подтверждена");
        case WriteAccount::State::Sent:
            return translateDefault("отправлена без подтверждения");
        case WriteAccount::State::NotSent:
            break;
    }
    return translateDefault("не отправлена");
}

}  // namespace

void WriteAccount::start() {
    for (auto& row : halves_) {
        row.fill(State::NotSent);
    }
}

WriteAccount::State& WriteAccount::at(int row, Half half) {
    return halves_.at(std::size_t(row - 1))[half == Half::First ? 0 : 1];
}

bool WriteAccount::anySent() const {
    for (const auto& row : halves_) {
        for (State state : row) {
            if (state != State::NotSent) {
                return true;
            }
        }
    }
    return false;
}

WriteAccount::State WriteAccount::state(int row, Half half) const {
    return halves_.at(std::size_t(row - 1))[half == Half::First ? 0 : 1];
}

std::vector<std::string> WriteAccount::lossLines(Cut cut) const {
    if (!anySent()) {
        return {};  // the sign holds what it held: the error says enough
    }
    // Bottom row first, as the write goes.
    std::vector<int> confirmed, untouched;
    std::vector<std::string> lines, split;
    for (int row = kRowCount; row >= 1; --row) {
        const State first = state(row, Half::First), second = state(row, Half::Second);
        if (first == State::Confirmed && second == State::Confirmed) {
            confirmed.push_back(row);
        } else if (first == State::NotSent && second == State::NotSent) {
            untouched.push_back(row);
        } else {
            split.push_back(fillIn(translateDefault("Строка %1 может показывать две разные цены: "
                                                    "первая половина %2, вторая %3."),
                                   {std::to_string(row), stateText(first), stateText(second)}));
        }
    }
    lines.push_back(confirmed.empty()
                        ? translateDefault("Ни одна строка не записана с подтверждением.")
                        : fillIn(translateDefault("Записаны и подтверждены строки: %1."),
                                 {rowList(confirmed)}));
    lines.insert(lines.end(), split.begin(), split.end());
    if (!untouched.empty()) {
        lines.push_back(fillIn(translateDefault("Не записаны строки: %1 (на табло прежние цены)."),
                               {rowList(untouched)}));
    }
    if (!split.empty() || !untouched.empty()) {
        lines.push_back(cut == Cut::PortLost
                            ? translateDefault("Запишите цены снова, когда связь восстановится.")
                            : translateDefault("Запишите цены снова, чтобы записать все строки."));
    }
    return lines;
}

}  // namespace stela
