#pragma once

#include <string>

#include "protocol/LogTag.h"

namespace stela {

// Where exchanges write their operation-log lines. Lines are UTF-8; bytes that
// came from the line are converted before they get here (see LogText.h).
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void appendLog(const std::string& line) = 0;
    // A line with what it is (LogTag.h); a sink that keeps only the text
    // takes it as appendLog.
    virtual void appendTagged(const LogTag& /*tag*/, const std::string& line) { appendLog(line); }
    // A line for the journal alone: the log shows nothing of it.
    virtual void appendJournalOnly(const LogTag& /*tag*/, const std::string& /*line*/) {}
};

}  // namespace stela
