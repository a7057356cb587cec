#pragma once

#include <array>
#include <string>
#include <vector>

#include "protocol/Frames.h"

namespace stela {

// What a price write has got done, half by half: the story to tell when a lost
// port cuts the write short, so that the operator knows which panels hold the
// new prices, which still hold the old ones and which may show two different
// prices. Rows are numbered 1 (top) to 5 (bottom).
class WriteAccount {
public:
    enum class State { NotSent, Sent, Confirmed };
    // Why the write ended early: the port was lost, or a stop was asked for
    // (the window closing, a signal), which waits for the row's end.
    enum class Cut { PortLost, Stopped };

    // A new write: nothing sent yet.
    void start();
    void sent(int row, Half half) { at(row, half) = State::Sent; }
    void confirmed(int row, Half half) { at(row, half) = State::Confirmed; }

    State state(int row, Half half) const;

    // What the sign holds after a write the port was lost in or after, or that
    // was stopped, in plain words: the rows written and confirmed, the rows that
    // may show two different prices (one half may hold the new price and the
    // other the old one), and the rows not written. Nothing when no frame has
    // been sent.
    std::vector<std::string> lossLines(Cut cut = Cut::PortLost) const;

private:
    State& at(int row, Half half);
    bool anySent() const;

    std::array<std::array<State, 2>, 5> halves_{};
};

}  // namespace stela
