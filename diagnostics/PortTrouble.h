#pragma once

#include <string>

#include "serial/PortAddress.h"
#include "serial/PortFailure.h"

namespace stela {

class EComPort;

// Lines shown below a serial error's message that name, in plain words, a reason
// the system can tell why a port could not be used, chosen by the failure's
// kind. Each is "" when there is nothing to add. Each names the device the
// port's address led to when it was opened.

// The device `port` leads to cannot be opened (a failure of `kind`): it is not
// there (or no device stands behind the name), no access (with the group to join
// where joining one helps, else who owns the device), or held by another program
// (named where the system tells); a network port's reasons (NetPortTrouble.h).
std::string openTroubleHint(const PortAddress& port, FailureKind kind);

// Whether `error` ended the open of `port`: the open itself failed, or a network
// port's server did not take the line settings within the open's time.
bool endedOpen(const EComPort& error, const PortAddress& port);

// The line settings could not be applied to `port` (a failure of `kind`): a
// network server that refused them.
std::string settingsTroubleHint(const PortAddress& port, FailureKind kind);

// What a front end says in its own words (the window names its buttons,
// stela-cli its commands) of a port that is not open, and of one whose device
// went away (an unplugged adapter, a lost connection).
struct PortLossWords {
    std::string (*notOpen)();
    std::string (*lost)(const PortAddress& port);
};

// A serial error met while using `port`: the reasons above when it could not be
// opened or take its line settings, no port open or a device that went away
// (in `words`); for settings that could not be stored, the file and what is
// wrong with it.
std::string portTroubleHint(const EComPort& error, const PortAddress& port,
                            const PortLossWords& words);
// The same in the window's words.
std::string portTroubleHint(const EComPort& error, const PortAddress& port);

}  // namespace stela
