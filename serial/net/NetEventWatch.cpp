#include "net/NetEventWatch.h"

#include <sys/epoll.h>
#include <unistd.h>

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

NetEventWatch::~NetEventWatch() = default;

void NetEventWatch::stop() {
    stopped_ = true;
    link_->wake();
}

// The wake-up is edge-triggered too: nothing needs to empty it.
int NetEventWatch::wait(std::uint32_t& kinds) {
    kinds = 0;
    epoll_event ready[2];
    if (!stopped_ && ::epoll_wait(epoll_.get(), ready, 2, -1) < 0 && errno != EINTR) {
        return errno;
    }
    if (stopped_) {
        return ECANCELED;
    }
    std::uint32_t all = 0;
    const int error = link_->collect(all);
    kinds = all & mask_;
    return error;
}

}  // namespace stela
