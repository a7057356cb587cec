#include "cli/CliObserver.h"

#include "cli/ProgressBar.h"

namespace stela::cli {

void CliObserver::appendJournalOnly(const LogTag& tag, const std::string& line) {
    for (LogSink* sink : logSinks_) {
        sink->appendJournalOnly(tag, line);
    }
}

void CliObserver::appendTagged(const LogTag& tag, const std::string& line) {
    for (LogSink* sink : logSinks_) {
        sink->appendTagged(tag, line);
    }
    if (logStreams_.empty()) {
        return;
    }
    if (bar_ != nullptr) {
        bar_->hide();
    }
    for (std::ostream* out : logStreams_) {
        *out << line << '\n' << std::flush;
    }
    if (bar_ != nullptr) {
        bar_->redraw();
    }
}

void CliObserver::advance() {
    if (bar_ != nullptr) {
        bar_->advance();
    }
}

}  // namespace stela::cli
