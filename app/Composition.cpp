#include "app/Composition.h"

#include "app/Messages.h"
#include "app/QtEventDispatcher.h"
#include "app/setup/TComSetupFrm.h"
#include "serial/ComDeviceFactory.h"
#include "workflows/Console.h"
#include "workflows/SignPort.h"

namespace stela {

MainFormParts programParts(Clock& clock) {
    MainFormParts parts;
    parts.port = std::make_unique<TComPort>(machineDevice);
    loadSignPortSettings(*parts.port);
    installSetupDialog(*parts.port);
    parts.port->SetEventDispatcher(std::make_shared<QtEventDispatcher>());
    parts.workflows = [&clock](WorkflowObserver& observer, TCustomComPort& port) {
        return std::make_unique<Console>(observer, port, clock);
    };
    parts.presenter = std::make_unique<MessageBoxPresenter>();
    TCustomComPort* port = parts.port.get();
    parts.journal =
        std::make_unique<Journal>(journalDirectory(), "stela", [port] { return port->Port(); });
    return parts;
}

}  // namespace stela
