#include "protocol/LogTag.h"

namespace stela {
namespace {

const char* operationName(LogOperation operation) {
    switch (operation) {
        case LogOperation::Search:
            return "search";
        case LogOperation::Write:
            return "write";
        case LogOperation::Read:
            return "read";
        case LogOperation::Brightness:
            return "brightness";
        case LogOperation::Effect:
            return "effect";
        case LogOperation::Check:
            return "check";
        case LogOperation::None:
            break;
    }
    return "-";
}

const char* eventName(LogEvent event) {
    switch (event) {
        case LogEvent::Start:
            return "start";
        case LogEvent::Frame:
            return "frame";
        case LogEvent::Half:
            return "half";
        case LogEvent::Wait:
            return "wait";
        case LogEvent::Poll:
            return "poll";
        case LogEvent::Reply:
            return "reply";
        case LogEvent::Checksum:
            return "checksum";
        case LogEvent::Confirmed:
            return "confirmed";
        case LogEvent::NotConfirmed:
            return "not-confirmed";
        case LogEvent::NotSent:
            return "not-sent";
        case LogEvent::Error:
            return "error";
        case LogEvent::Account:
            return "account";
        case LogEvent::Note:
            return "note";
        case LogEvent::Result:
            return "result";
        case LogEvent::Line:
            break;
    }
    return "line";
}

}  // namespace

std::string logTagText(const LogTag& tag) {
    return std::string(operationName(tag.operation)) + " " + eventName(tag.event);
}

}  // namespace stela
