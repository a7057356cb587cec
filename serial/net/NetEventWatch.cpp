#include "net/NetEventWatch.h"

#include "net/NetLink.h"

namespace stela {

PortFailure NetEventWatch::create(std::shared_ptr<NetLink> link, std::uint32_t mask,
                                  std::unique_ptr<LineEventWatch>& watch) {
    std::unique_ptr<NetEventWatch> made(new NetEventWatch(std::move(link), mask));
    if (const PortFailure failure = made->start()) {
        return failure;
    }
    watch = std::move(made);
    return {};
}

NetEventWatch::NetEventWatch(std::shared_ptr<NetLink> link, std::uint32_t mask)
    : link_(std::move(link)), mask_(mask) {}

NetEventWatch::~NetEventWatch() = default;

void NetEventWatch::stop() {
    stopped_ = true;
    link_->wake();
}

bool NetEventWatch::wait(std::uint32_t& kinds) {
    kinds = 0;
    if (stopped_ || !waitForActivity() || stopped_) {
        return false;
    }
    std::uint32_t all = 0;
    const bool open = link_->collect(all);
    kinds = all & mask_;
    return open;
}

}  // namespace stela
