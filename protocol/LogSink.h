#pragma once

#include <string>

namespace stela {

// Where exchanges write their operation-log lines. Lines are UTF-8; bytes that
// came from the line are converted before they get here (see LogText.h).
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void appendLog(const std::string& line) = 0;
};

}  // namespace stela
