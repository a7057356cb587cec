#include "net/NetEventWatch.h"

#ifndef _WIN32
#include <sys/epoll.h>
#include <unistd.h>
#endif

#include <cerrno>

#include "net/NetLink.h"

namespace stela {

int NetEventWatch::create(std::shared_ptr<NetLink> link, std::uint32_t mask,
                          std::unique_ptr<LineEventWatch>& watch) {
    std::unique_ptr<NetEventWatch> made(new NetEventWatch(std::move(link), mask));
    if (int error = made->start()) {
        return error;
    }
    watch = std::move(made);
    return 0;
}

NetEventWatch::NetEventWatch(std::shared_ptr<NetLink> link, std::uint32_t mask)
    : link_(std::move(link)), mask_(mask) {}

#ifdef _WIN32
int NetEventWatch::start() {
    socket_.reset(link_->duplicateSocket());
    if (!socket_.valid()) {
        return socketError();
    }
    link_->resetEvents();
    return 0;
}
#else
int NetEventWatch::start() {
    socket_.reset(link_->duplicateSocket());
    epoll_.reset(::epoll_create1(EPOLL_CLOEXEC));
    if (!socket_.valid() || !epoll_.valid()) {
        return !socket_.valid() && errno == 0 ? EBADF : errno;
    }
    epoll_event wakeEvent{};
    wakeEvent.events = EPOLLIN | EPOLLET;
    wakeEvent.data.fd = link_->wakeDescriptor();
    epoll_event socketEvent{};
    socketEvent.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
    socketEvent.data.fd = socket_.get();
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, link_->wakeDescriptor(), &wakeEvent) != 0 ||
        ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, socket_.get(), &socketEvent) != 0) {
        return errno;
    }
    link_->resetEvents();
    return 0;
}
#endif

NetEventWatch::~NetEventWatch() = default;

void NetEventWatch::stop() {
    stopped_ = true;
    link_->wake();
}

// The wake-up is edge-triggered too: nothing needs to empty it.
int NetEventWatch::wait(std::uint32_t& kinds) {
    kinds = 0;
#ifdef _WIN32
    if (!stopped_) {
        pollfd ready[2] = {pollFor(socket_.get(), POLLIN),
                           pollFor(link_->wakeDescriptor(), POLLIN)};
        if (pollSockets(ready, 2, -1) < 0 && socketError() != EINTR) {
            return socketError();
        }
        if (ready[1].revents != 0) {
            drainWakeup(link_->wakeDescriptor());
        }
    }
#else
    epoll_event ready[2];
    if (!stopped_ && ::epoll_wait(epoll_.get(), ready, 2, -1) < 0 && errno != EINTR) {
        return errno;
    }
#endif
    if (stopped_) {
        return ECANCELED;
    }
    std::uint32_t all = 0;
    const int error = link_->collect(all);
    kinds = all & mask_;
    return error;
}

}  // namespace stela
