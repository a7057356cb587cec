#include "net/win/WindowsCodedDevice.h"

#include <winsock2.h>

#include <cerrno>

#include "serial/NetErrorCondition.h"

namespace stela {

namespace {

// The network code's own conditions and the Windows codes that say the same.
struct CodePair {
    int condition;
    int windowsCode;
};
constexpr CodePair kCodes[] = {
    {EBADF, kClosedDeviceError},
    {EIO, WSAECONNRESET},  // the server closed the connection or it broke
    {EBUSY, ERROR_BUSY},
    {ETIMEDOUT, WSAETIMEDOUT},
    {EPROTO, WSAEPROTONOSUPPORT},  // no RFC 2217 server
    {EBADMSG, ERROR_INVALID_DATA},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ENOENT, WSAHOST_NOT_FOUND},
    {EAGAIN, WSATRY_AGAIN},
    {ENODEV, WSAEADDRNOTAVAIL},  // an IPv6 zone that names no interface
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EMFILE, WSAEMFILE},
    // Given by the sockets themselves, as Winsock codes.
    {ECONNREFUSED, WSAECONNREFUSED},
    {EHOSTUNREACH, WSAEHOSTUNREACH},
    {ENETUNREACH, WSAENETUNREACH},
    {ENETDOWN, WSAENETDOWN},
};

}  // namespace

int WindowsCodedDevice::windowsCode(int error) {
    for (const CodePair& pair : kCodes) {
        if (pair.condition == error) {
            return pair.windowsCode;
        }
    }
    return error;
}

int netErrorCondition(int systemCode) {
    for (const CodePair& pair : kCodes) {
        if (pair.windowsCode == systemCode) {
            return pair.condition;
        }
    }
    return systemCode;
}

int WindowsCodedDevice::open(const PortAddress& address) {
    return windowsCode(device_->open(address));
}
int WindowsCodedDevice::setQueueSizes(int inputSize, int outputSize) {
    return windowsCode(device_->setQueueSizes(inputSize, outputSize));
}
int WindowsCodedDevice::setLineParameters(const LineParameters& line) {
    return windowsCode(device_->setLineParameters(line));
}
int WindowsCodedDevice::setTimeouts(const TimeoutValues& timeouts) {
    return windowsCode(device_->setTimeouts(timeouts));
}
int WindowsCodedDevice::purge(bool input, bool output) {
    return windowsCode(device_->purge(input, output));
}
int WindowsCodedDevice::abortTransfers() {
    return windowsCode(device_->abortTransfers());
}
int WindowsCodedDevice::read(char* buffer, int capacity, int& received) {
    return windowsCode(device_->read(buffer, capacity, received));
}
int WindowsCodedDevice::write(const char* data, int size, int& sent) {
    return windowsCode(device_->write(data, size, sent));
}
int WindowsCodedDevice::modemLines(TComSignals& lines) {
    return windowsCode(device_->modemLines(lines));
}
int WindowsCodedDevice::lineErrors(TComErrors& errors) {
    return windowsCode(device_->lineErrors(errors));
}
int WindowsCodedDevice::watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) {
    return windowsCode(device_->watchEvents(mask, watch));
}

}  // namespace stela
