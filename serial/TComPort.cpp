#include "serial/TComPort.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "serial/EComPort.h"
#include "serial/TComThread.h"

namespace stela {
namespace {

// The port's own queue stops taking bytes at this size; the rest waits in the
// driver, whose queue is bounded.
constexpr std::size_t kInputQueueLimit = 64 * 1024;

}  // namespace

TCustomComPort::TCustomComPort(std::unique_ptr<ComDevice> device) : device_(std::move(device)) {
    if (!device_) {
        throw std::invalid_argument("TCustomComPort needs a device");
    }
}

TCustomComPort::TCustomComPort(ComDeviceFactory factory)
    : TCustomComPort(factory ? factory(PortAddress()) : nullptr) {
    factory_ = std::move(factory);
}

TCustomComPort::~TCustomComPort() {
    try {
        Close();
    } catch (...) {
        // Destruction cannot report: release the device whatever Close met.
    }
    stopMonitor();  // still running when Close failed
    device_->close();
}

void TCustomComPort::BeginLoading() {
    loading_ = true;
}

void TCustomComPort::Loaded() {
    loading_ = false;
    if (openWhenLoaded_) {
        openWhenLoaded_ = false;
        Open();
    }
}

void TCustomComPort::Open() {
    if (connected_) {
        return;
    }
    address_ = address_.resolved();
    DoBeforeOpen();
    CreateDeviceHandle();
    connected_ = true;
    try {
        ApplySettings();
    } catch (...) {
        DestroyDeviceHandle();
        connected_ = false;
        throw;
    }
    startMonitor();
    DoAfterOpen();
    DoCTSChange(LineSignals().contains(csCTS));
    DoDSRChange(LineSignals().contains(csDSR));
    DoRLSDChange(LineSignals().contains(csRLSD));
}

void TCustomComPort::Close() {
    if (!connected_) {
        return;
    }
    DoCTSChange(false);
    DoDSRChange(false);
    DoRLSDChange(false);
    DoBeforeClose();
    if (const PortFailure error = device_->abortTransfers()) {
        throw EComPort(EComPort::kPurgeFailed, error);
    }
    stopMonitor();
    DestroyDeviceHandle();
    connected_ = false;
    DoAfterClose();
}

void TCustomComPort::SetConnected(bool value) {
    if (loading_) {
        openWhenLoaded_ = value;
    } else if (value != connected_) {
        value ? Open() : Close();
    }
}

void TCustomComPort::BeginSettingsBatch() {
    ++batchDepth_;
}

void TCustomComPort::EndSettingsBatch() {
    if (batchDepth_ == 0) {
        return;
    }
    if (--batchDepth_ == 0) {
        ApplySettings();
    }
}

// --- byte operations ---------------------------------------------------------------

void TCustomComPort::requireDevice(int code) const {
    if (!device_->isOpen()) {
        throw EComPort(code, ownFailure(FailureKind::NotOpen));
    }
}

void TCustomComPort::pullInput(int code) {
    char chunk[4096];
    while (input_.size() < kInputQueueLimit) {
        const int wanted = int(std::min(sizeof chunk, kInputQueueLimit - input_.size()));
        int received = 0;
        if (const PortFailure error = device_->read(chunk, wanted, received)) {
            throw EComPort(code, error);
        }
        const auto begin = input_.size();
        input_.append(chunk, std::size_t(received));
        if (discardNull_) {
            input_.erase(std::remove(input_.begin() + std::ptrdiff_t(begin), input_.end(), '\0'),
                         input_.end());
        }
        if (received < wanted) {
            break;
        }
    }
}

int TCustomComPort::QueuedInputCount() {
    requireDevice(EComPort::kStatusFailed);
    pullInput(EComPort::kStatusFailed);
    return int(input_.size());
}

void TCustomComPort::ClearBuffers(bool Input, bool Output) {
    requireDevice(EComPort::kPurgeFailed);
    if (const PortFailure error = device_->purge(Input, Output)) {
        throw EComPort(EComPort::kPurgeFailed, error);
    }
    if (Input) {
        input_.clear();
    }
}

int TCustomComPort::WriteText(const std::string& Text) {
    if (Text.empty()) {
        return 0;
    }
    requireDevice(EComPort::kWriteFailed);
    if (Text.size() > std::size_t(INT_MAX)) {
        throw EComPort(EComPort::kWriteFailed, ownFailure(FailureKind::Unsupported));
    }
    int sent = 0;
    if (const PortFailure error = device_->write(Text.data(), int(Text.size()), sent)) {
        throw EComPort(EComPort::kWriteFailed, error);
    }
    return sent;
}

int TCustomComPort::ReadText(std::string& Text, int Count) {
    Text.clear();
    if (Count <= 0) {
        return 0;
    }
    requireDevice(EComPort::kReadFailed);
    if (input_.size() < std::size_t(Count)) {
        pullInput(EComPort::kReadFailed);
    }
    const std::size_t n = std::min(std::size_t(Count), input_.size());
    Text.assign(input_, 0, n);
    input_.erase(0, n);
    return int(n);
}

TComSignals TCustomComPort::LineSignals() {
    requireDevice(EComPort::kModemStatusFailed);
    TComSignals lines;
    if (const PortFailure error = device_->modemLines(lines)) {
        throw EComPort(EComPort::kModemStatusFailed, error);
    }
    return lines;
}

TComErrors TCustomComPort::LineErrors() {
    requireDevice(EComPort::kStatusFailed);
    TComErrors errors;
    if (const PortFailure error = device_->lineErrors(errors)) {
        throw EComPort(EComPort::kStatusFailed, error);
    }
    return errors;
}

// --- setters -------------------------------------------------------------------------

template <typename T>
void TCustomComPort::changeLineSetting(T& field, T value) {
    if (field == value) {
        return;
    }
    field = value;
    ApplyLineSettings();
}

void TCustomComPort::SetPort(const std::string& value) {
    if (value != port_) {
        SetPort(PortAddress::parse(value));
    }
}

void TCustomComPort::SetPort(const PortAddress& value) {
    if (value.name() == port_) {
        return;
    }
    port_ = value.name();
    address_ = value;
    if (connected_) {
        Close();
        Open();
    }
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
    changeLineSetting(baudRate_, value);
}
void TCustomComPort::SetCustomBaudRate(int value) {
    changeLineSetting(customBaudRate_, value);
}
void TCustomComPort::SetStopBits(TStopBits value) {
    changeLineSetting(stopBits_, value);
}
void TCustomComPort::SetDataBits(TDataBits value) {
    changeLineSetting(dataBits_, value);
}
void TCustomComPort::SetDiscardNull(bool value) {
    changeLineSetting(discardNull_, value);
}
void TCustomComPort::SetEventChar(char value) {
    changeLineSetting(eventChar_, value);
}

void TCustomComPort::SetBuffer(const TComBuffer& value) {
    buffer_.Assign(value);
    ApplyQueueSizes();
}
void TCustomComPort::SetParity(const TComParity& value) {
    parity_.Assign(value);
    ApplyLineSettings();
}
void TCustomComPort::SetTimeouts(const TComTimeouts& value) {
    timeouts_.Assign(value);
    ApplyTimeoutValues();
}
void TCustomComPort::SetFlowControl(const TComFlowControl& value) {
    flowControl_.Assign(value);
    ApplyLineSettings();
}

// --- applying settings -----------------------------------------------------------------

bool TCustomComPort::mayApply() const {
    return connected_ && batchDepth_ == 0 && !loading_;
}

void TCustomComPort::ApplySettings() {
    ApplyQueueSizes();
    ApplyLineSettings();
    ApplyTimeoutValues();
}

LineParameters TCustomComPort::lineParameters() const {
    LineParameters p;
    p.baudRate = baudRate_ == brCustom ? customBaudRate_ : baudRateValue(baudRate_);
    p.dataBits = 5 + int(dataBits_);
    p.parity = parity_.Bits();
    p.stopBits = stopBits_;
    p.parityCheck = parity_.Check();
    p.errorReplace = parity_.Check() && parity_.Replace();
    p.errorChar = p.errorReplace ? parity_.ReplaceChar() : '\0';
    p.outCtsFlow = flowControl_.OutCTSFlow();
    p.outDsrFlow = flowControl_.OutDSRFlow();
    p.dtrControl = flowControl_.ControlDTR();
    p.rtsControl = flowControl_.ControlRTS();
    p.dsrSensitivity = flowControl_.DSRSensitivity();
    p.txContinueOnXoff = flowControl_.TxContinueOnXoff();
    p.xonXoffOut = flowControl_.XonXoffOut();
    p.xonXoffIn = flowControl_.XonXoffIn();
    p.xonChar = flowControl_.XonChar();
    p.xoffChar = flowControl_.XoffChar();
    p.xonLimit = p.xoffLimit = buffer_.InputSize() / 4;
    p.discardNull = discardNull_;
    p.eventChar = eventChar_;
    return p;
}

void TCustomComPort::ApplyLineSettings() {
    if (!mayApply()) {
        return;
    }
    if (const PortFailure error = device_->setLineParameters(lineParameters())) {
        throw EComPort(EComPort::kLineSettingsFailed, error);
    }
}

void TCustomComPort::ApplyTimeoutValues() {
    if (!mayApply()) {
        return;
    }
    // Negative values reach the device as their 32-bit pattern (-1 as all ones).
    const TimeoutValues values{std::uint32_t(timeouts_.ReadInterval()),
                               std::uint32_t(timeouts_.ReadTotalMultiplier()),
                               std::uint32_t(timeouts_.ReadTotalConstant()),
                               std::uint32_t(timeouts_.WriteTotalMultiplier()),
                               std::uint32_t(timeouts_.WriteTotalConstant())};
    if (const PortFailure error = device_->setTimeouts(values)) {
        throw EComPort(EComPort::kTimeoutsFailed, error);
    }
}

void TCustomComPort::ApplyQueueSizes() {
    if (!mayApply()) {
        return;
    }
    if (const PortFailure error =
            device_->setQueueSizes(buffer_.InputSize(), buffer_.OutputSize())) {
        throw EComPort(EComPort::kQueueSizesFailed, error);
    }
}

// --- device handle ---------------------------------------------------------------------

void TCustomComPort::CreateDeviceHandle() {
    if (factory_) {
        device_ = factory_(address_);
    }
    if (const PortFailure error = device_->open(address_)) {
        throw EComPort(EComPort::kOpenFailed, error);
    }
}

void TCustomComPort::DestroyDeviceHandle() {
    device_->close();
    input_.clear();
}

// --- setup dialog -----------------------------------------------------------------------

// The dialog lives above this layer; the program registers it as the setup runner.
void TCustomComPort::RunSetupDialog() {
    if (!setupRunner_) {
        throw std::logic_error("no port setup dialog has been registered");
    }
    setupRunner_(*this);
}

// --- hooks ------------------------------------------------------------------------------

namespace {
template <typename Handler, typename... Args>
void notify(const Handler& handler, Args&&... args) {
    if (handler) {
        handler(std::forward<Args>(args)...);
    }
}
}  // namespace

void TCustomComPort::DoAfterClose() {
    notify(OnAfterClose, *this);
}
void TCustomComPort::DoAfterOpen() {
    notify(OnAfterOpen, *this);
}
void TCustomComPort::DoBeforeClose() {
    notify(OnBeforeClose, *this);
}
void TCustomComPort::DoBeforeOpen() {
    notify(OnBeforeOpen, *this);
}
void TCustomComPort::DoRxChar(int Count) {
    notify(OnRxChar, *this, Count);
}
void TCustomComPort::DoRxBuf(const char* Buffer, int Count) {
    notify(OnRxBuf, *this, Buffer, Count);
}
void TCustomComPort::DoTxEmpty() {
    notify(OnTxEmpty, *this);
}
void TCustomComPort::DoBreak() {
    notify(OnBreak, *this);
}
void TCustomComPort::DoRing() {
    notify(OnRing, *this);
}
void TCustomComPort::DoRxFlag() {
    notify(OnRxFlag, *this);
}
void TCustomComPort::DoCTSChange(bool OnOff) {
    notify(OnCTSChange, *this, OnOff);
}
void TCustomComPort::DoDSRChange(bool OnOff) {
    notify(OnDSRChange, *this, OnOff);
}
void TCustomComPort::DoError(TComErrors Errors) {
    notify(OnError, *this, Errors);
}
void TCustomComPort::DoRLSDChange(bool OnOff) {
    notify(OnRLSDChange, *this, OnOff);
}
void TCustomComPort::DoRx80Full() {
    notify(OnRx80Full, *this);
}

// --- TComPort --------------------------------------------------------------------------

TComPort::TComPort() : TComPort(serialDevice()) {}

TComPort::TComPort(std::unique_ptr<ComDevice> device) : TCustomComPort(std::move(device)) {}

TComPort::TComPort(ComDeviceFactory factory) : TCustomComPort(std::move(factory)) {}

}  // namespace stela
