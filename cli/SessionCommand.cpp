// `stela-cli brightness` and `stela-cli effect`.
#include "cli/Session.h"

#include "cli/ExitStatus.h"
#include "workflows/Notices.h"

namespace stela::cli {

int Session::command() {
    if (!connect()) {
        return kNoSign;
    }
    const CommandOutcome outcome = args_.action == Action::Effect ? console_.effect(args_.level)
                                   : args_.automatic              ? console_.automaticBrightness()
                                                     : console_.manualBrightness(args_.level);
    // The window's notice says it in the sign's words.
    out_ << commandNotice(outcome) << "\n";
    return outcome.confirmed ? kDone : kNotConfirmed;
}

}  // namespace stela::cli
