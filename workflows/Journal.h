#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "protocol/LogSink.h"

namespace stela {

// The operation journal: every line of the operation log, of the window and
// stela-cli alike, kept in files under `directory` (journalDirectory()), one
// per day: YYYY-MM-DD.log, each line "YYYY-MM-DD HH:MM:SS.mmm PORT line" in
// local time. A station's manager can show from it which prices were written
// when and whether the sign confirmed them.
//
// Lines are held until the operation ends (flush), then appended to the day's
// file at once, and files older than 90 days, or beyond 50 MB in all, are
// removed oldest first (the day's own file stays). A journal that cannot be
// written never stops an operation: flush says so, and the lines are dropped.
class Journal final : public LogSink {
public:
    using Now = std::function<std::chrono::system_clock::time_point()>;

    static constexpr int kKeptDays = 90;
    static constexpr long long kKeptBytes = 50LL * 1024 * 1024;

    // `port` names the port a line is about (the port object's name when it
    // is logged).
    Journal(std::string directory, std::function<std::string()> port,
            Now now = std::chrono::system_clock::now);

    void appendLog(const std::string& line) override;

    // Ends an operation. Returns "" or what failed ("path: reason").
    std::string flush();

private:
    struct Line {
        std::string day;   // YYYY-MM-DD: the file it goes to
        std::string text;  // with its time and port, and the line end
    };

    std::string appendTo(const std::string& day, const std::string& text) const;
    void prune(std::chrono::system_clock::time_point now) const;

    std::string directory_;
    std::function<std::string()> port_;
    Now now_;
    std::vector<Line> pending_;
};

// stateDirectory()/journal: $XDG_STATE_HOME/stela/journal, ~/.local/state when unset.
std::string journalDirectory();

}  // namespace stela
