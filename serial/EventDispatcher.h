#pragma once

#include <functional>

namespace stela {

// How the event monitor reaches the thread that owns the port (the user
// interface's): post() is called on the monitor's thread and must have `call`
// run on the owner's thread, one call at a time, waking it if it sleeps. The
// window gives the port one over its event loop; a program without a loop has
// none, and its port watches no line events.
class EventDispatcher {
public:
    virtual ~EventDispatcher() = default;
    virtual void post(std::function<void()> call) = 0;
};

}  // namespace stela
