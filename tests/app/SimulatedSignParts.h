#pragma once

#include <memory>

#include "app/TMainForm.h"
#include "workflows/Console.h"
#include "workflows/SignPort.h"
#include "tests/support/SimComDevice.h"

namespace stela::test {

// The window's parts with the real console on a sign simulated at COM3 in
// virtual time, the port open as after a search; `sim` is set to its device.
inline MainFormParts simulatedSignParts(VirtualClock& clock, SimComDevice*& sim,
                                        std::unique_ptr<MessagePresenter> presenter) {
    auto device = std::make_unique<SimComDevice>(clock);
    sim = device.get();
    sim->attachSign("COM3");
    MainFormParts parts;
    parts.port = std::make_unique<TComPort>(std::move(device));
    loadSignPortSettings(*parts.port);
    parts.port->SetPort("COM3");
    parts.port->Open();
    parts.workflows = [&clock](WorkflowObserver& observer, TCustomComPort& port) {
        return std::make_unique<Console>(observer, port, clock);
    };
    parts.presenter = std::move(presenter);
    return parts;
}

}  // namespace stela::test
