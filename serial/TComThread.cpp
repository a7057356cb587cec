#include "serial/TComThread.h"

#include <pthread.h>

#include <condition_variable>
#include <mutex>
#include <optional>

#include "serial/EventMask.h"

namespace stela {

// What the monitor's thread and the port's thread share. A posted call may run
// after the monitor is gone; it then finds nothing to do.
struct TComThread::Handoff {
    std::mutex mutex;
    std::condition_variable changed;
    Dispatch dispatch;
    std::optional<TComEvents> batch;  // handed over, not yet dispatched
    bool dispatching = false;
    bool released = false;  // the port closed from within the dispatch: do not wait for it
    bool failed = false;    // a dispatch threw
    bool stopping = false;
    bool ended = false;
    bool detached = false;  // the monitor is gone

    // On the port's thread.
    void runBatch();
};

void TComThread::Handoff::runBatch() {
    std::unique_lock<std::mutex> lock(mutex);
    if (!batch || dispatching || detached) {
        return;
    }
    const TComEvents events = *batch;
    dispatching = true;
    lock.unlock();
    bool threw = false;
    try {
        dispatch(events);
    } catch (...) {
        threw = true;  // shown nowhere: the monitor ends
    }
    lock.lock();
    dispatching = false;
    failed = failed || threw;
    batch.reset();
    changed.notify_all();
}

TComThread::TComThread(ComDevice& device, TComEvents events,
                       std::shared_ptr<EventDispatcher> dispatcher, Dispatch dispatch)
    : device_(device), dispatcher_(std::move(dispatcher)), handoff_(std::make_shared<Handoff>()) {
    handoff_->dispatch = std::move(dispatch);
    device_.watchEvents(eventMask(events), watch_);
    thread_ = std::thread(&TComThread::Execute, this);
}

TComThread::~TComThread() {
    Stop();
    Handoff& h = *handoff_;
    std::unique_lock<std::mutex> lock(h.mutex);
    while (!h.ended) {
        if (h.dispatching) {
            // Only this thread dispatches: a handler of the batch is closing the
            // port. The batch counts as delivered, or neither could go on.
            h.released = true;
            h.changed.notify_all();
        } else if (h.batch) {
            lock.unlock();
            h.runBatch();
            lock.lock();
            continue;
        }
        h.changed.wait(lock);
    }
    h.detached = true;
    const bool failed = h.failed;
    lock.unlock();
    thread_.join();
    // Done here rather than by the thread, so that every call on the device
    // other than the wait is made on the port's own thread.
    watch_.reset();
    if (!failed) {
        device_.purge(true, true);
    }
}

void TComThread::Stop() {
    {
        const std::lock_guard<std::mutex> lock(handoff_->mutex);
        handoff_->stopping = true;
    }
    handoff_->changed.notify_all();
    if (watch_) {
        watch_->stop();
    }
    std::this_thread::yield();
}

void TComThread::Execute() {
    pthread_setname_np(pthread_self(), "com-monitor");
    for (;;) {
        std::uint32_t kinds = 0;
        // Ends when stopped, or when the line has gone away.
        if (!(watch_ ? watch_->wait(kinds) : waitForStop())) {
            break;
        }
        const TComEvents events = eventsOfMask(kinds);
        if (!events.empty() && !deliver(events)) {
            break;
        }
    }
    const std::lock_guard<std::mutex> lock(handoff_->mutex);
    handoff_->ended = true;
    handoff_->changed.notify_all();
}

bool TComThread::waitForStop() {
    std::unique_lock<std::mutex> lock(handoff_->mutex);
    handoff_->changed.wait(lock, [this] { return handoff_->stopping; });
    return false;
}

// Blocks until the port's thread has dispatched the batch; false when the
// dispatch threw.
bool TComThread::deliver(TComEvents events) {
    Handoff& h = *handoff_;
    {
        const std::lock_guard<std::mutex> lock(h.mutex);
        h.batch = events;
        h.released = false;
        h.changed.notify_all();  // a stop in progress runs it
    }
    try {
        dispatcher_->post([handoff = handoff_] { handoff->runBatch(); });
    } catch (...) {
        // Not posted (no memory): the batch waits for the stop, which runs it.
    }
    std::unique_lock<std::mutex> lock(h.mutex);
    h.changed.wait(lock, [&h] { return !h.batch || h.released; });
    return !h.failed;
}

}  // namespace stela
