#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "serial/ComDevice.h"
#include "serial/ComTypes.h"
#include "serial/EventDispatcher.h"

namespace stela {

// The event monitor of an open port: a thread that waits for line events on
// the device and hands each batch to the port's own thread through the
// dispatcher, blocking until `dispatch` has run it there. It never reads from
// the device, so it consumes no received byte. A dispatch that throws ends the
// monitor, and the exception goes no further.
class TComThread {
public:
    using Dispatch = std::function<void(TComEvents events)>;

    // Selects `events` on the device and starts waiting. A device that cannot
    // watch them leaves the monitor waiting only for its stop.
    TComThread(ComDevice& device, TComEvents events, std::shared_ptr<EventDispatcher> dispatcher,
               Dispatch dispatch);
    // Stops the monitor and waits for it to end, running on the way the batch
    // it has handed over; then selects no events on the device and discards both
    // its queues (not after a dispatch that threw: that ends the monitor at once).
    // Called on the port's own thread, which is where the dispatches run.
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Tells the monitor to stop and yields the processor once.
    void Stop();

private:
    struct Handoff;

    void Execute();
    bool deliver(TComEvents events);
    // Returns false, once stopped: a wait without a watch.
    bool waitForStop();

    ComDevice& device_;
    std::shared_ptr<EventDispatcher> dispatcher_;
    std::shared_ptr<Handoff> handoff_;  // posted calls hold it too
    std::unique_ptr<LineEventWatch> watch_;
    std::thread thread_;
};

}  // namespace stela
