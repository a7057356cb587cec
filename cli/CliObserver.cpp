#include "cli/CliObserver.h"

#include "cli/ProgressBar.h"

namespace stela::cli {

void CliObserver::appendLog(const std::string& line) {
    for (LogSink* sink : logSinks_) {
        sink->appendLog(line);
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
