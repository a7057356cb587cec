#pragma once

#include <cstdint>
#include <iterator>

#include "serial/ComTypes.h"

namespace stela {

// The platform's numbering of line-event kinds (the EV_ bits of the Windows
// serial interface): a device is told in these bits what to watch and reports
// in them what happened.
inline constexpr std::uint32_t kEvRxChar = 0x0001;
inline constexpr std::uint32_t kEvRxFlag = 0x0002;
inline constexpr std::uint32_t kEvTxEmpty = 0x0004;
inline constexpr std::uint32_t kEvCts = 0x0008;
inline constexpr std::uint32_t kEvDsr = 0x0010;
inline constexpr std::uint32_t kEvRlsd = 0x0020;
inline constexpr std::uint32_t kEvBreak = 0x0040;
inline constexpr std::uint32_t kEvErr = 0x0080;
inline constexpr std::uint32_t kEvRing = 0x0100;
inline constexpr std::uint32_t kEvRx80Full = 0x0400;

// The bit of each TComEvent, by the member's position.
inline constexpr std::uint32_t kEventBits[] = {kEvRxChar, kEvTxEmpty, kEvRxFlag, kEvRing,
                                               kEvBreak,  kEvCts,     kEvDsr,    kEvErr,
                                               kEvRlsd,   kEvRx80Full};

constexpr std::uint32_t eventMask(TComEvents events) {
    std::uint32_t mask = 0;
    for (unsigned i = 0; i < std::size(kEventBits); ++i) {
        if (events.contains(TComEvent(i))) {
            mask |= kEventBits[i];
        }
    }
    return mask;
}

// Bits that stand for no TComEvent are ignored.
constexpr TComEvents eventsOfMask(std::uint32_t mask) {
    TComEvents events;
    for (unsigned i = 0; i < std::size(kEventBits); ++i) {
        if (mask & kEventBits[i]) {
            events.include(TComEvent(i));
        }
    }
    return events;
}

static_assert(eventMask(allComEvents) == 0x05FF);

}  // namespace stela
