#pragma once

#include "app/TMainForm.h"

namespace stela {

class Clock;

// The program's own parts for the main window: the port object on the
// machine's serial devices with the sign's line settings (closed) and the
// setup dialog, the console's workflows sleeping on `clock`, and real message
// boxes.
MainFormParts programParts(Clock& clock);

}  // namespace stela
