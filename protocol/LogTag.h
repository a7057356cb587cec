#pragma once

#include <string>

namespace stela {

// What a log line is, for the journal: the operation it belongs to and the
// event it tells, in fixed English words whatever language the line is in, so
// that one grep finds the same lines in the window's Russian and stela-cli's
// English ("write confirmed").
enum class LogOperation { None, Search, Write, Read, Brightness, Effect, Check };

enum class LogEvent {
    Line,   // a line of no particular kind
    Start,  // an operation's first line
    Frame,  // a frame sent (the write's "Запишу N панель:", the search's "Отправлено:")
    Half,          // a half's read begins
    Wait,          // waiting for a write's confirmation
    Poll,          // the bytes counted, the polls made
    Reply,         // what was received
    Checksum,      // a reply's checksum, received and computed
    Confirmed,     // the sign confirmed the frame
    NotConfirmed,  // no confirmation in three attempts (the journal's own line)
    NotSent,       // a frame left unsent, the write being stopped
    Error,         // a failed poll, a reply given up
    Account,       // what a cut-short write left on the sign
    Note,          // a remark about the port
    Result,        // what a check found: its status line
};

struct LogTag {
    LogOperation operation = LogOperation::None;
    LogEvent event = LogEvent::Line;
};

// "write confirmed"; "-" for no operation.
std::string logTagText(const LogTag& tag);

}  // namespace stela
