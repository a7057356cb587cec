#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

namespace stela {

// Settings of the serial port. Each enumeration is stored in 8 bits and its value
// is the member's position, as stored settings and the setup dialog's tables expect.

enum TBaudRate : std::uint8_t {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};

enum TDataBits : std::uint8_t { dbFive, dbSix, dbSeven, dbEight };

enum TStopBits : std::uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };

enum TParityBits : std::uint8_t { prNone, prOdd, prEven, prMark, prSpace };

enum TDTRFlowControl : std::uint8_t { dtrDisable, dtrEnable, dtrHandshake };

enum TRTSFlowControl : std::uint8_t { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };

enum TFlowControl : std::uint8_t { fcHardware, fcSoftware, fcNone, fcCustom };

enum TComEvent : std::uint8_t {
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD,
    evRx80Full
};

enum TSyncMethod : std::uint8_t { smThreadSync, smWindowSync, smNone };

// The groups of settings that SaveSettings writes.
enum TSavedGroup : std::uint8_t {
    sgLine,
    sgFlowDetail,
    sgQueues,
    sgTimeouts,
    sgParityDetail,
    sgExtra
};

// Line errors as LineErrors reports them.
enum TComError : std::uint8_t {
    ceFrame,
    ceRxParity,
    ceOverrun,
    ceBreak,
    ceIO,
    ceMode,
    ceRxOver,
    ceTxFull
};

// The four modem input lines as LineSignals reports them.
enum TComSignal : std::uint8_t { csCTS, csDSR, csRing, csRLSD };

// A set of enumeration members, bit n standing for the member at position n.
template <typename Enum, typename Bits>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<Enum> members) {
        for (Enum m : members) {
            include(m);
        }
    }
    static constexpr EnumSet fromBits(Bits bits) {
        EnumSet set;
        set.bits_ = bits;
        return set;
    }

    constexpr Bits bits() const { return bits_; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool contains(Enum m) const { return (bits_ & bit(m)) != 0; }
    constexpr EnumSet& include(Enum m) {
        bits_ = Bits(bits_ | bit(m));
        return *this;
    }
    constexpr EnumSet& exclude(Enum m) {
        bits_ = Bits(bits_ & ~bit(m));
        return *this;
    }

    friend constexpr bool operator==(EnumSet a, EnumSet b) { return a.bits_ == b.bits_; }
    friend constexpr bool operator!=(EnumSet a, EnumSet b) { return a.bits_ != b.bits_; }

private:
    static constexpr Bits bit(Enum m) { return Bits(Bits(1) << unsigned(m)); }
    Bits bits_ = 0;
};

using TComEvents = EnumSet<TComEvent, std::uint16_t>;
using TComErrors = EnumSet<TComError, std::uint8_t>;
using TComSignals = EnumSet<TComSignal, std::uint8_t>;
using TSavedGroups = EnumSet<TSavedGroup, std::uint8_t>;

static_assert(sizeof(TBaudRate) == 1 && sizeof(TFlowControl) == 1);
static_assert(sizeof(TComEvents) == 2 && sizeof(TComErrors) == 1 && sizeof(TSavedGroups) == 1);

inline constexpr TComEvents allComEvents = TComEvents::fromBits(0x03FF);

// Bits per second that a rate names; 0 for brCustom, whose speed is CustomBaudRate.
constexpr int baudRateValue(TBaudRate rate) {
    constexpr int values[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                              14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return rate <= br256000 ? values[rate] : 0;
}

// The text of each member, by position: the forms in which settings are stored and
// the setup dialog lists them.
inline constexpr std::array<const char*, 16> kBaudRateTexts{
    "Custom", "110",   "300",   "600",   "1200",  "2400",   "4800",   "9600",
    "14400",  "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
inline constexpr std::array<const char*, 4> kDataBitsTexts{"5", "6", "7", "8"};
inline constexpr std::array<const char*, 3> kStopBitsTexts{"1", "1.5", "2"};
inline constexpr std::array<const char*, 5> kParityBitsTexts{"None", "Odd", "Even", "Mark",
                                                             "Space"};
inline constexpr std::array<const char*, 4> kFlowControlTexts{"Hardware", "Software", "None",
                                                              "Custom"};
inline constexpr std::array<const char*, 4> kRTSFlowControlTexts{"Disable", "Enable", "Handshake",
                                                                 "Toggle"};
inline constexpr std::array<const char*, 3> kDTRFlowControlTexts{"Disable", "Enable", "Handshake"};

}  // namespace stela
