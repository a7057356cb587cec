#include "win/WinComDevice.h"

#include <algorithm>

#include "win/WinEventWatch.h"

namespace stela {
namespace {

// Bounds of waits that the driver's own timeouts should end first.
constexpr DWORD kGraceMs = 1000;
constexpr std::int64_t kLongestWaitMs = 24LL * 3600 * 1000;

int lastError() {
    return static_cast<int>(GetLastError());
}

DCB lineRecord(const LineParameters& line) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(line.baudRate);
    dcb.fBinary = TRUE;  // the only mode Windows has
    dcb.fParity = line.parityCheck;
    dcb.fOutxCtsFlow = line.outCtsFlow;
    dcb.fOutxDsrFlow = line.outDsrFlow;
    // The enumerations count as DTR_CONTROL_, RTS_CONTROL_, NOPARITY.. and
    // ONESTOPBIT.. do.
    dcb.fDtrControl = line.dtrControl;
    dcb.fDsrSensitivity = line.dsrSensitivity;
    dcb.fTXContinueOnXoff = line.txContinueOnXoff;
    dcb.fOutX = line.xonXoffOut;
    dcb.fInX = line.xonXoffIn;
    dcb.fErrorChar = line.errorReplace;
    dcb.fNull = line.discardNull;
    dcb.fRtsControl = line.rtsControl;
    dcb.fAbortOnError = FALSE;
    dcb.XonLim = static_cast<WORD>(std::clamp(line.xonLimit, 0, 0xFFFF));
    dcb.XoffLim = static_cast<WORD>(std::clamp(line.xoffLimit, 0, 0xFFFF));
    dcb.ByteSize = static_cast<BYTE>(line.dataBits);
    dcb.Parity = static_cast<BYTE>(line.parity);
    dcb.StopBits = static_cast<BYTE>(line.stopBits);
    dcb.XonChar = line.xonChar;
    dcb.XoffChar = line.xoffChar;
    dcb.ErrorChar = line.errorChar;
    dcb.EofChar = 0;
    dcb.EvtChar = line.eventChar;
    return dcb;
}

}  // namespace

WinComDevice::~WinComDevice() {
    close();
}

int WinComDevice::open(const PortAddress& address) {
    if (isOpen()) {
        return ERROR_BUSY;
    }
    const std::string& path = address.device();
    if (path.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    handle_ = handle;
    baudRate_ = 9600;
    parityCheck_ = false;
    pendingErrors_ = 0;
    DWORD queued = 0;
    status(queued);  // errors count from here on
    pendingErrors_ = 0;
    return 0;
}

void WinComDevice::close() {
    if (isOpen()) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
}

int WinComDevice::setQueueSizes(int inputSize, int outputSize) {
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    if (inputSize < 0 || outputSize < 0) {
        return ERROR_INVALID_PARAMETER;
    }
    return SetupComm(handle_, DWORD(inputSize), DWORD(outputSize)) ? 0 : lastError();
}

int WinComDevice::setLineParameters(const LineParameters& line) {
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    if (line.baudRate <= 0) {
        return ERROR_INVALID_PARAMETER;
    }
    DCB dcb = lineRecord(line);
    if (!SetCommState(handle_, &dcb)) {
        return lastError();
    }
    baudRate_ = line.baudRate;
    parityCheck_ = line.parityCheck;
    return 0;
}

int WinComDevice::setTimeouts(const TimeoutValues& timeouts) {
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    COMMTIMEOUTS values{timeouts.readInterval, timeouts.readTotalMultiplier,
                        timeouts.readTotalConstant, timeouts.writeTotalMultiplier,
                        timeouts.writeTotalConstant};
    if (!SetCommTimeouts(handle_, &values)) {
        return lastError();
    }
    timeouts_ = timeouts;
    return 0;
}

int WinComDevice::purge(bool input, bool output) {
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    const DWORD flags = (input ? PURGE_RXCLEAR : 0) | (output ? PURGE_TXCLEAR : 0);
    return flags == 0 || PurgeComm(handle_, flags) ? 0 : lastError();
}

int WinComDevice::abortTransfers() {
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    return PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT) ? 0 : lastError();
}

int WinComDevice::status(DWORD& queued) {
    queued = 0;
    DWORD errors = 0;
    COMSTAT state{};
    if (!ClearCommError(handle_, &errors, &state)) {
        return lastError();
    }
    pendingErrors_ |= errors;
    queued = state.cbInQue;
    return 0;
}

int WinComDevice::transfer(bool writing, char* data, DWORD size, DWORD limitMs, DWORD& done) {
    done = 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (overlapped.hEvent == nullptr) {
        return lastError();
    }
    const BOOL finished = writing ? WriteFile(handle_, data, size, nullptr, &overlapped)
                                  : ReadFile(handle_, data, size, nullptr, &overlapped);
    int error = finished ? 0 : lastError();
    if (error == ERROR_IO_PENDING) {
        error = 0;
        // The driver's timeouts end it first; this only keeps a driver that
        // ignores them (or a stalled flow control without them) from hanging us.
        if (WaitForSingleObject(overlapped.hEvent, limitMs) != WAIT_OBJECT_0) {
            PurgeComm(handle_, writing ? PURGE_TXABORT | PURGE_TXCLEAR : PURGE_RXABORT);
            CancelIoEx(handle_, &overlapped);
        }
    }
    if (error == 0 && !GetOverlappedResult(handle_, &overlapped, &done, TRUE)) {
        error = lastError();
        if (error == ERROR_OPERATION_ABORTED) {
            error = 0;  // aborted by the bound above: what moved, moved
        }
    }
    CloseHandle(overlapped.hEvent);
    return error;
}

int WinComDevice::read(char* buffer, int capacity, int& received) {
    received = 0;
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    DWORD queued = 0;
    if (int error = status(queued)) {
        return error;
    }
    const DWORD wanted = std::min<DWORD>(queued, DWORD(std::max(capacity, 0)));
    if (wanted == 0) {
        return 0;
    }
    DWORD done = 0;
    const int error = transfer(false, buffer, wanted, kGraceMs, done);
    received = static_cast<int>(done);
    return error;
}

DWORD WinComDevice::writeLimitMs(int size) const {
    const std::int64_t bound =
        std::int64_t(timeouts_.writeTotalMultiplier) * size + timeouts_.writeTotalConstant;
    // Without a write timeout: the bytes' wire time at 10 bits each.
    const std::int64_t ms = bound > 0 ? bound : std::int64_t(size) * 10 * 1000 / baudRate_;
    return DWORD(std::min(ms + kGraceMs, kLongestWaitMs));
}

int WinComDevice::write(const char* data, int size, int& sent) {
    sent = 0;
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    if (size <= 0) {
        return 0;
    }
    DWORD done = 0;
    const int error =
        transfer(true, const_cast<char*>(data), DWORD(size), writeLimitMs(size), done);
    sent = static_cast<int>(done);
    return error;
}

int WinComDevice::modemLines(TComSignals& lines) {
    lines = {};
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    DWORD state = 0;
    if (!GetCommModemStatus(handle_, &state)) {
        const int error = lastError();
        return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ? 0 : error;
    }
    const struct {
        DWORD bit;
        TComSignal signal;
    } map[] = {{MS_CTS_ON, csCTS}, {MS_DSR_ON, csDSR}, {MS_RING_ON, csRing}, {MS_RLSD_ON, csRLSD}};
    for (const auto& m : map) {
        if (state & m.bit) {
            lines.include(m.signal);
        }
    }
    return 0;
}

int WinComDevice::lineErrors(TComErrors& errors) {
    errors = {};
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    DWORD queued = 0;
    if (int error = status(queued)) {
        return error;
    }
    const DWORD flags = pendingErrors_;
    pendingErrors_ = 0;
    const struct {
        DWORD flag;
        TComError error;
    } map[] = {{CE_FRAME, ceFrame},     {CE_RXPARITY, ceRxParity},
               {CE_OVERRUN, ceOverrun}, {CE_BREAK, ceBreak},
               {CE_IOE, ceIO},          {CE_MODE, ceMode},
               {CE_RXOVER, ceRxOver},   {CE_TXFULL, ceTxFull}};
    for (const auto& m : map) {
        if ((flags & m.flag) && (m.error != ceRxParity || parityCheck_)) {
            errors.include(m.error);
        }
    }
    return 0;
}

int WinComDevice::watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) {
    if (!isOpen()) {
        return kClosedDeviceError;
    }
    return WinEventWatch::create(handle_, mask, watch);
}

}  // namespace stela
