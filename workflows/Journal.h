#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "protocol/LogSink.h"

namespace stela {

// The operation journal: every line of the operation log, of the window and
// stela-cli alike, kept in files under `directory` (journalDirectory()), one
// per day: YYYY-MM-DD.log, each line
// "YYYY-MM-DD HH:MM:SS.mmm PORT PROGRAM OPERATION EVENT line" in local time,
// the three words in the middle the same in every language (LogTag.h). A
// station's manager can show from it which prices were written when and
// whether the sign confirmed them.
//
// Each line is appended as it is logged (unless held back, see hold()), in
// one write, so that a program killed mid-way leaves every line it logged,
// and never half of one. When an operation ends (flush), days older than 90
// are removed, and older days go while the past days exceed 50 MB in all:
// newest first, each day is kept while it fits. Today's file and files dated after it are neither counted
// nor removed. A journal that cannot be written never stops an operation:
// flush says so, and the lines are dropped.
class Journal final : public LogSink {
public:
    using Now = std::function<std::chrono::system_clock::time_point()>;

    static constexpr int kKeptDays = 90;
    static constexpr long long kKeptBytes = 50LL * 1024 * 1024;

    // `program` ("stela", "stela-cli") names who logged; `port` the port a
    // line is about (the port object's name when it is logged).
    Journal(std::string directory, std::string program, std::function<std::string()> port,
            Now now = std::chrono::system_clock::now);

    void appendLog(const std::string& line) override { appendTagged({}, line); }
    void appendTagged(const LogTag& tag, const std::string& line) override;
    void appendJournalOnly(const LogTag& tag, const std::string& line) override {
        appendTagged(tag, line);
    }

    // From here on lines are kept back, each stamped as it comes, until
    // release() writes them (`keep`) or drops them: a check that finds all
    // well keeps a line of its own instead of its whole exchange.
    void hold();
    void release(bool keep);

    // Ends an operation, writing what is held back. Returns "" or the first
    // line's failure since the last flush ("path: reason").
    std::string flush();

private:
    // Appends `line` (with its line end) to the day's file; "" or what failed.
    std::string appendTo(const std::string& day, const std::string& line) const;
    void append(const std::string& day, const std::string& line);
    void prune(std::chrono::system_clock::time_point now) const;

    std::string directory_;
    std::string program_;
    std::function<std::string()> port_;
    Now now_;
    std::string failure_;
    bool holding_ = false;
    std::vector<std::pair<std::string, std::string>> held_;  // day, line
};

// stateDirectory()/journal: $XDG_STATE_HOME/stela/journal, ~/.local/state when unset.
std::string journalDirectory();

}  // namespace stela
