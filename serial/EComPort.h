#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "serial/PortFailure.h"
#include "store/RegistryKey.h"

namespace stela {

// The one exception of the serial layer: a code (1..23, see the constants), the
// operating system's error number (-1 when the failure has none) and the message,
// which is the code's text followed by " (win error code: N)" when there is a number.
// Text and suffix pass through the translation lookup (domain "cport"); N goes in
// afterwards. Beside them it carries the failure's kind, by which the program
// chooses what to tell the operator.
class EComPort : public std::runtime_error {
public:
    enum : int {
        kOpenFailed = 1,
        kWriteFailed = 2,
        kReadFailed = 3,
        kInvalidAsyncParameter = 4,
        kPurgeFailed = 5,
        kAsyncStatusFailed = 6,
        kLineSettingsFailed = 7,
        kTimeoutsFailed = 8,
        kQueueSizesFailed = 9,
        kStatusFailed = 10,
        kModemStatusFailed = 11,
        kEscapeFailed = 12,
        kTransmitCharFailed = 13,
        kSetWhileConnected = 14,
        kEnumPortsFailed = 15,
        kStoreFailed = 16,
        kLoadFailed = 17,
        kLinkRegistrationFailed = 18,
        kLedStateRefused = 19,
        kWaitWithMonitor = 20,
        kWaitForEventFailed = 21,
        kRxBufLinked = 22,
        kRegistryError = 23,
    };

    // Without a system number: a failure of its own kind (Other).
    explicit EComPort(int code);
    EComPort(int code, const PortFailure& failure);
    // A system call's number `systemCode`, classified as this system reads it.
    EComPort(int code, int systemCode) : EComPort(code, systemFailure(systemCode)) {}
    // Code 16 with what the settings store found wrong; the message stays the
    // code's text alone.
    EComPort(int code, const StoreFailure& failure);

    int Code() const { return code_; }
    int SystemCode() const { return systemCode_; }
    FailureKind Kind() const { return kind_; }
    PortFailure Failure() const { return {kind_, systemCode_}; }
    // What the store said, for a code 16 that came from it; else nullptr.
    const StoreFailure* StoreTrouble() const { return storeFailure_.get(); }

    // The untranslated text of a code; "" for a number outside 1..23.
    static const char* CodeText(int code);

private:
    int systemCode_;
    int code_;
    FailureKind kind_ = FailureKind::Other;
    std::shared_ptr<const StoreFailure> storeFailure_;  // shared: copying must not throw
};

}  // namespace stela
