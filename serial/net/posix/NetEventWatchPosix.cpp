// The watch's waits on Linux: one epoll set, both edge-triggered, so that
// nothing needs to empty the wake-up and unread data never wakes a wait again.
#include <sys/epoll.h>

#include <cerrno>

#include "net/NetEventWatch.h"
#include "net/NetLink.h"

namespace stela {

PortFailure NetEventWatch::start() {
    socket_.reset(link_->duplicateSocket());
    if (!socket_.valid()) {
        return systemFailure(errno != 0 ? errno : EBADF);
    }
    epoll_.reset(::epoll_create1(EPOLL_CLOEXEC));
    if (!epoll_.valid()) {
        return systemFailure(errno);
    }
    epoll_event wakeEvent{};
    wakeEvent.events = EPOLLIN | EPOLLET;
    wakeEvent.data.fd = link_->wakeDescriptor();
    epoll_event socketEvent{};
    socketEvent.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
    socketEvent.data.fd = socket_.get();
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, link_->wakeDescriptor(), &wakeEvent) != 0 ||
        ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, socket_.get(), &socketEvent) != 0) {
        return systemFailure(errno);
    }
    link_->resetEvents();
    return {};
}

bool NetEventWatch::waitForActivity() {
    epoll_event ready[2];
    return ::epoll_wait(epoll_.get(), ready, 2, -1) >= 0 || errno == EINTR;
}

}  // namespace stela
