// The port's side of its event monitor: started by Open, ended by Close, and
// each batch it hands over run through the per-event hooks.
#include <system_error>

#include "serial/TComPort.h"
#include "serial/TComThread.h"

namespace stela {

void TCustomComPort::SetEventDispatcher(std::shared_ptr<EventDispatcher> dispatcher) {
    dispatcher_ = std::move(dispatcher);
}

void TCustomComPort::startMonitor() {
    if (events_.empty() || !dispatcher_) {
        return;
    }
    try {
        monitor_ = std::make_unique<TComThread>(
            *device_, events_, dispatcher_, [this](TComEvents events) { dispatchEvents(events); });
    } catch (const std::system_error&) {
        // No thread to be had: the port works on, watching nothing.
    }
}

void TCustomComPort::stopMonitor() {
    // Taken out first: a handler that closes the port from a dispatch this stop
    // runs finds no monitor left to stop.
    const std::unique_ptr<TComThread> monitor = std::move(monitor_);
    if (monitor) {
        monitor->Stop();
    }
}

// Nothing here reads a received byte: the count leaves them queued for ReadText.
void TCustomComPort::dispatchEvents(TComEvents events) {
    if (events.contains(evError)) {
        const TComErrors errors = LineErrors();
        if (!errors.empty()) {
            DoError(errors);
        }
    }
    if (events.contains(evRxChar)) {
        const int count = QueuedInputCount();
        if (count > 0) {
            DoRxChar(count);
        }
    }
    if (events.contains(evTxEmpty)) {
        DoTxEmpty();
    }
    if (events.contains(evBreak)) {
        DoBreak();
    }
    if (events.contains(evRing)) {
        DoRing();
    }
    if (events.contains(evCTS)) {
        DoCTSChange(LineSignals().contains(csCTS));
    }
    if (events.contains(evDSR)) {
        DoDSRChange(LineSignals().contains(csDSR));
    }
    if (events.contains(evRxFlag)) {
        DoRxFlag();
    }
    if (events.contains(evRLSD)) {
        DoRLSDChange(LineSignals().contains(csRLSD));
    }
    if (events.contains(evRx80Full)) {
        DoRx80Full();
    }
}

}  // namespace stela
