#include "net/win/WindowsCodedDevice.h"

#include <winsock2.h>

namespace stela {

int WindowsCodedDevice::windowsCode(int error) {
    switch (error) {
        case EBADF:
            return kClosedDeviceError;
        case EIO:
            return WSAECONNRESET;  // the server closed the connection or it broke
        case EBUSY:
            return ERROR_BUSY;
        case ETIMEDOUT:
            return WSAETIMEDOUT;
        case EPROTO:
            return WSAEPROTONOSUPPORT;  // no RFC 2217 server
        case EBADMSG:
            return ERROR_INVALID_DATA;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        case ENOENT:
            return WSAHOST_NOT_FOUND;
        case EAGAIN:
            return WSATRY_AGAIN;
        case ENODEV:
            return WSAEADDRNOTAVAIL;  // an IPv6 zone that names no interface
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EMFILE:
            return WSAEMFILE;
        default:
            return error;
    }
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
