#include "win/WinComDevice.h"

#include <algorithm>

#include "serial/ComDeviceFactory.h"
#include "win/WinEventWatch.h"

namespace stela {
namespace {

// Bounds of waits that the driver's own timeouts should end first.
constexpr DWORD kGraceMs = 1000;
constexpr std::int64_t kLongestWaitMs = 24LL * 3600 * 1000;

PortFailure lastFailure() {
    return systemFailure(static_cast<int>(GetLastError()));
}

PortFailure notOpen() {
    return ownFailure(FailureKind::NotOpen);
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

PortFailure WinComDevice::open(const PortAddress& address) {
    if (isOpen()) {
        return ownFailure(FailureKind::InUse);
    }
    const std::string& path = address.device();
    if (path.empty()) {
        return ownFailure(FailureKind::Missing);
    }
    handle_.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr));
    if (!handle_.valid()) {
        return lastFailure();
    }
    baudRate_ = 9600;
    parityCheck_ = false;
    pendingErrors_ = 0;
    DWORD queued = 0;
    status(queued);  // errors count from here on
    pendingErrors_ = 0;
    return {};
}

void WinComDevice::close() {
    handle_.reset();
}

PortFailure WinComDevice::setQueueSizes(int inputSize, int outputSize) {
    if (!isOpen()) {
        return notOpen();
    }
    if (inputSize < 0 || outputSize < 0) {
        return ownFailure(FailureKind::Unsupported);
    }
    return SetupComm(handle_.get(), DWORD(inputSize), DWORD(outputSize)) ? PortFailure()
                                                                         : lastFailure();
}

PortFailure WinComDevice::setLineParameters(const LineParameters& line) {
    if (!isOpen()) {
        return notOpen();
    }
    if (line.baudRate <= 0) {
        return ownFailure(FailureKind::Unsupported);
    }
    DCB dcb = lineRecord(line);
    if (!SetCommState(handle_.get(), &dcb)) {
        return lastFailure();
    }
    baudRate_ = line.baudRate;
    parityCheck_ = line.parityCheck;
    return {};
}

PortFailure WinComDevice::setTimeouts(const TimeoutValues& timeouts) {
    if (!isOpen()) {
        return notOpen();
    }
    COMMTIMEOUTS values{timeouts.readInterval, timeouts.readTotalMultiplier,
                        timeouts.readTotalConstant, timeouts.writeTotalMultiplier,
                        timeouts.writeTotalConstant};
    if (!SetCommTimeouts(handle_.get(), &values)) {
        return lastFailure();
    }
    timeouts_ = timeouts;
    return {};
}

PortFailure WinComDevice::purge(bool input, bool output) {
    if (!isOpen()) {
        return notOpen();
    }
    const DWORD flags = (input ? PURGE_RXCLEAR : 0) | (output ? PURGE_TXCLEAR : 0);
    return flags == 0 || PurgeComm(handle_.get(), flags) ? PortFailure() : lastFailure();
}

PortFailure WinComDevice::abortTransfers() {
    if (!isOpen()) {
        return notOpen();
    }
    return PurgeComm(handle_.get(), PURGE_TXABORT | PURGE_RXABORT) ? PortFailure() : lastFailure();
}

PortFailure WinComDevice::status(DWORD& queued) {
    queued = 0;
    DWORD errors = 0;
    COMSTAT state{};
    if (!ClearCommError(handle_.get(), &errors, &state)) {
        return lastFailure();
    }
    pendingErrors_ |= errors;
    queued = state.cbInQue;
    return {};
}

PortFailure WinComDevice::transfer(bool writing, char* data, DWORD size, DWORD limitMs,
                                   DWORD& done) {
    done = 0;
    OVERLAPPED overlapped{};
    const KernelHandle completed(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!completed.valid()) {
        return lastFailure();
    }
    overlapped.hEvent = completed.get();
    const BOOL finished = writing ? WriteFile(handle_.get(), data, size, nullptr, &overlapped)
                                  : ReadFile(handle_.get(), data, size, nullptr, &overlapped);
    if (!finished && GetLastError() != ERROR_IO_PENDING) {
        return lastFailure();
    }
    // The driver's timeouts end it first; this only keeps a driver that ignores
    // them (or a stalled flow control without them) from hanging us.
    bool abortedByUs = false;
    if (!finished && WaitForSingleObject(completed.get(), limitMs) != WAIT_OBJECT_0) {
        PurgeComm(handle_.get(), writing ? PURGE_TXABORT | PURGE_TXCLEAR : PURGE_RXABORT);
        CancelIoEx(handle_.get(), &overlapped);
        abortedByUs = true;
    }
    if (GetOverlappedResult(handle_.get(), &overlapped, &done, TRUE)) {
        return {};
    }
    // Aborted by the bound above: what moved, moved. Aborted by anything else
    // (a driver whose device went away), the transfer failed.
    const DWORD error = GetLastError();
    return error == ERROR_OPERATION_ABORTED && abortedByUs ? PortFailure()
                                                           : systemFailure(static_cast<int>(error));
}

PortFailure WinComDevice::read(char* buffer, int capacity, int& received) {
    received = 0;
    if (!isOpen()) {
        return notOpen();
    }
    DWORD queued = 0;
    if (const PortFailure failure = status(queued)) {
        return failure;
    }
    const DWORD wanted = std::min<DWORD>(queued, DWORD(std::max(capacity, 0)));
    if (wanted == 0) {
        return {};
    }
    DWORD done = 0;
    const PortFailure failure = transfer(false, buffer, wanted, kGraceMs, done);
    received = static_cast<int>(done);
    return failure;
}

DWORD WinComDevice::writeLimitMs(int size) const {
    const std::int64_t bound =
        std::int64_t(timeouts_.writeTotalMultiplier) * size + timeouts_.writeTotalConstant;
    // Without a write timeout: the bytes' wire time at 10 bits each.
    const std::int64_t ms = bound > 0 ? bound : std::int64_t(size) * 10 * 1000 / baudRate_;
    return DWORD(std::min(ms + kGraceMs, kLongestWaitMs));
}

PortFailure WinComDevice::write(const char* data, int size, int& sent) {
    sent = 0;
    if (!isOpen()) {
        return notOpen();
    }
    if (size <= 0) {
        return {};
    }
    DWORD done = 0;
    const PortFailure failure =
        transfer(true, const_cast<char*>(data), DWORD(size), writeLimitMs(size), done);
    sent = static_cast<int>(done);
    return failure;
}

PortFailure WinComDevice::modemLines(TComSignals& lines) {
    lines = {};
    if (!isOpen()) {
        return notOpen();
    }
    DWORD state = 0;
    if (!GetCommModemStatus(handle_.get(), &state)) {
        const DWORD error = GetLastError();
        return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED
                   ? PortFailure()
                   : systemFailure(static_cast<int>(error));
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
    return {};
}

PortFailure WinComDevice::lineErrors(TComErrors& errors) {
    errors = {};
    if (!isOpen()) {
        return notOpen();
    }
    DWORD queued = 0;
    if (const PortFailure failure = status(queued)) {
        return failure;
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
    return {};
}

PortFailure WinComDevice::watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) {
    if (!isOpen()) {
        return notOpen();
    }
    return WinEventWatch::create(handle_.get(), mask, watch);
}

std::unique_ptr<ComDevice> serialDevice() {
    return std::make_unique<WinComDevice>();
}

}  // namespace stela
