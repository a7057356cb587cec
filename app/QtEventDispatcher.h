#pragma once

#include <QObject>

#include "serial/EventDispatcher.h"

namespace stela {

// Runs the port monitor's calls on the thread that made the dispatcher (the
// window's), as queued calls that wake its event loop. They run when the loop
// handles its messages: when idle, and when a workflow lets events run.
class QtEventDispatcher final : public EventDispatcher {
public:
    void post(std::function<void()> call) override;

private:
    QObject receiver_;  // lives on the making thread; calls left pending die with it
};

}  // namespace stela
