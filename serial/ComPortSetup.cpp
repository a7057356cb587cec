// The port object's side of the setup dialog, which lives above this layer.
#include <stdexcept>

#include "serial/ComPort.h"

namespace stela {

void TCustomComPort::RunSetupDialog() {
    if (!setupRunner_) {
        throw std::logic_error("no port setup dialog has been registered");
    }
    setupRunner_(*this);
}

}  // namespace stela
