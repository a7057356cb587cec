// The watch's waits on Windows: a poll of both (level-triggered). The wake-up
// is drained, and every wake-up pumps the socket empty, so nothing left behind
// wakes the wait again.
#include "net/NetEventWatch.h"
#include "net/NetLink.h"

namespace stela {

PortFailure NetEventWatch::start() {
    socket_.reset(link_->duplicateSocket());
    if (!socket_.valid()) {
        return systemFailure(socketError());
    }
    link_->resetEvents();
    return {};
}

bool NetEventWatch::waitForActivity() {
    pollfd ready[2] = {pollFor(socket_.get(), POLLIN), pollFor(link_->wakeDescriptor(), POLLIN)};
    if (pollSockets(ready, 2, -1) < 0 && socketError() != EINTR) {
        return false;
    }
    if (ready[1].revents != 0) {
        drainWakeup(link_->wakeDescriptor());
    }
    return true;
}

}  // namespace stela
