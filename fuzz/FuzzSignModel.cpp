// Any byte stream, cut into chunks with any timing, into the simulated sign, with
// faults chosen by the input. The model must never crash, and what it sends
// must keep its timing promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sim/SignModel.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t next() {
        if (size == 0) {
            return 0;
        }
        --size;
        return *data++;
    }
};

stela::Fault faultFrom(Input& in) {
    using stela::Fault;
    const std::uint8_t kind = in.next() % 12;
    const std::size_t n = in.next() % 20;
    Fault f;
    switch (kind) {
        case 0:
            f = Fault::silence();
            break;
        case 1:
            f = Fault::late(std::chrono::milliseconds(n * 10));
            break;
        case 2:
            f = Fault::wrongChecksum();
            break;
        case 3:
            f = Fault::lowerCaseChecksum();
            break;
        case 4:
            f = Fault::truncated(n);
            break;
        case 5:
            f = Fault::surplus(std::string(n, 'Z'));
            break;
        case 6:
            f = Fault::inserted(n, "\x98?");
            break;
        case 7:
            f = Fault::nulBytes(n, 2);
            break;
        case 8:
            f = Fault::missingT();
            break;
        case 9:
            f = Fault::missingOk();
            break;
        case 10:
            f = Fault::replacedBy(std::string(n, 'R'));
            break;
        default:
            f = Fault::lostReply();
            break;
    }
    const std::uint8_t filter = in.next();
    if (filter & 1) {
        f = f.forAddress(filter >> 4);
    }
    if (filter & 2) {
        f = f.onFrames(static_cast<stela::FrameKind>((filter >> 2) % 5));
    }
    const int times = in.next() % 5;
    return f.after(in.next() % 3).times(times == 0 ? -1 : times);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    stela::SignModel sign;
    sign.setProcessingDelay(std::chrono::microseconds(in.next() * 100));
    sign.setIdleGap(std::chrono::microseconds(in.next() * 50));
    for (int faults = in.next() % 4; faults > 0; --faults) {
        sign.addFault(faultFrom(in));
    }
    stela::SimTime now{};
    stela::SimTime lastOut{};
    while (in.size > 0) {
        // A chunk: a pause, then up to 15 bytes arriving together.
        const std::uint8_t head = in.next();
        now += std::chrono::microseconds((head >> 4) * (head >> 4) * 100);
        std::size_t chunk = std::min<std::size_t>(head & 0x0F, in.size);
        sign.receive(std::string_view(reinterpret_cast<const char*>(in.data), chunk), now);
        in.data += chunk;
        in.size -= chunk;
        for (const stela::TimedByte& b : sign.takeReplyBytes(now)) {
            require(b.at <= now && b.at > lastOut);
            require(b.at - lastOut >= stela::wireTime(1) || lastOut == stela::SimTime::zero());
            lastOut = b.at;
        }
        if (const auto next = sign.nextEventTime()) {
            require(*next > lastOut);
        }
    }
    // Let everything leave: at most one event at a time, every step makes progress.
    for (int steps = 0; const auto next = sign.nextEventTime(); ++steps) {
        require(steps < 1'000'000);
        const auto out = sign.takeReplyBytes(*next);
        for (const stela::TimedByte& b : out) {
            require(b.at > lastOut);
            lastOut = b.at;
        }
    }
    return 0;
}
