#pragma once

#include "app/TMainForm.h"

namespace stela {

class Clock;

// The program's own parts for the main window: the port object on the
// machine's serial devices with the sign's line settings (closed), the setup
// dialog, and its event monitor delivering on the calling (user-interface)
// thread; the console's workflows sleeping on `clock`; real message boxes; the
// operation journal in journalDirectory().
MainFormParts programParts(Clock& clock);

}  // namespace stela
