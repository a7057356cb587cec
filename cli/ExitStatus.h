#pragma once

namespace stela::cli {

// stela-cli's exit statuses.
enum ExitStatus : int {
    kDone = 0,          // done, and the sign confirmed it
    kNotConfirmed = 1,  // the sign did not confirm, or a half failed its checksum
    kBadArguments = 2,  // nothing was sent
    kNoSign = 3,        // no sign found, or a port error
    kLogFailed = 4,     // done, but the operation log given to --log could not be written
    kSignalBase = 128,  // + the signal that stopped it
};

}  // namespace stela::cli
