#pragma once

#include <functional>
#include <string>

#include "console/ConsoleView.h"
#include "protocol/Clock.h"
#include "protocol/Frames.h"
#include "protocol/ReplyReader.h"

namespace stela {

class TCustomComPort;

inline int halfAddress(int row, Half half) {
    return half == Half::First ? firstHalfAddress(row) : secondHalfAddress(row);
}

// The workflows behind the main window's buttons. Each handler runs to the end
// on the caller's thread; serial errors escape it (see runReported).
class Console {
public:
    Console(ConsoleView& view, TCustomComPort& port, Clock& clock);

    // Start-up: the board search, then the log is cleared. A serial error is
    // reported and leaves the log as it is.
    void FormCreate();

    void Button36Click();  // "Поиск табло"
    void Button5Click();   // "Яркость автоматическая"
    void Button6Click();   // "Яркость ручная"
    void effectClick();    // "Эффект"
    void Button7Click();   // "Прочитать"
    void Button8Click();   // "Записать", then the read-back

    // Runs a handler; an error that escapes it goes to the error report.
    void runReported(const std::function<void()>& handler);

    // The two reply buffers live as long as the console.
    const std::string& replyBuffer() const { return reply_; }
    const std::string& confirmationBuffer() const { return confirmation_; }

private:
    void boardSearch();
    void priceWrite();
    void writeConfirmation(const std::string& frame);
    void priceRead();
    void halfRead(char addressChar);
    // Runs a single-wait command and shows one of the two notices.
    void command(const SingleWaitExchange& exchange, const std::string& expected,
                 const std::string& confirmed, const std::string& notConfirmed);

    ConsoleView& view_;
    TCustomComPort& port_;
    ReplyReader reader_;
    std::string reply_;
    std::string confirmation_;
};

}  // namespace stela
