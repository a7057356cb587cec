#pragma once

#include <functional>
#include <memory>
#include <string>

#include "serial/ComDevice.h"
#include "serial/ComDeviceFactory.h"
#include "serial/ComSettings.h"
#include "serial/ComTypes.h"
#include "serial/EventDispatcher.h"

namespace stela {

class RegistryKey;
class TComThread;
class TCustomComPort;

using TNotifyEvent = std::function<void(TCustomComPort& Sender)>;
using TRxCharEvent = std::function<void(TCustomComPort& Sender, int Count)>;
using TRxBufEvent = std::function<void(TCustomComPort& Sender, const char* Buffer, int Count)>;
using TComSignalEvent = std::function<void(TCustomComPort& Sender, bool OnOff)>;
using TComErrorEvent = std::function<void(TCustomComPort& Sender, TComErrors Errors)>;

// The serial port object: its settings, opening and closing, and the byte
// operations the workflows use. All calls come from one thread; every failure is
// an EComPort. Received bytes move from the device into the port's own input
// queue (dropping 0x00 while DiscardNull is set), which QueuedInputCount and
// ReadText see and ClearBuffers empties; reads never wait. While the port is
// open, an event monitor (TComThread) watches the line on a thread of its own
// and hands what it sees back to the port's thread, where the hooks run.
class TCustomComPort {
public:
    // Always on `device`.
    explicit TCustomComPort(std::unique_ptr<ComDevice> device);
    // On the device `factory` makes for the address at each open.
    explicit TCustomComPort(ComDeviceFactory factory);
    // Closes the port. Handlers run; hooks overridden in a subclass do not, since
    // that part of the object is gone by then.
    virtual ~TCustomComPort();
    TCustomComPort(const TCustomComPort&) = delete;
    TCustomComPort& operator=(const TCustomComPort&) = delete;

    // Assigning stored settings: from BeginLoading until Loaded nothing is applied
    // to a device and SetConnected(true) is only noted; Loaded then opens the port
    // if it was.
    void BeginLoading();
    void Loaded();

    // Nothing when already open / already closed.
    void Open();
    void Close();
    bool Connected() const { return connected_; }
    void SetConnected(bool value);

    // Settings changed inside a bracket reach the open device together at the end.
    void BeginSettingsBatch();
    void EndSettingsBatch();

    int QueuedInputCount();
    void ClearBuffers(bool Input, bool Output);
    // Returns when the bytes have left or the write timeout has passed, with the
    // count that left.
    int WriteText(const std::string& Text);
    // Text becomes the first min(Count, queued) bytes of the input queue, which
    // leave it; returns their count at once, 0 when nothing is queued.
    int ReadText(std::string& Text, int Count);
    TComSignals LineSignals();
    TComErrors LineErrors();
    // Why the open port is held without the lock file other serial programs
    // look for; "" when it has one (ComDevice::lockFolderTrouble).
    std::string LockFolderTrouble() const { return device_->lockFolderTrouble(); }

    const std::string& Port() const { return port_; }
    // What Port means: read when it was set, resolved when the port was last
    // opened and kept, so that messages name the device opened even after its
    // link is gone.
    const PortAddress& Address() const { return address_; }
    // A different name on an open port closes it and opens the new one; a failing
    // reopen leaves the port closed with the new name.
    void SetPort(const std::string& value);
    // The same with a name read already (stela-cli's --port), not read again.
    void SetPort(const PortAddress& value);
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate value);
    int CustomBaudRate() const { return customBaudRate_; }
    void SetCustomBaudRate(int value);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits value);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits value);
    bool DiscardNull() const { return discardNull_; }
    void SetDiscardNull(bool value);
    char EventChar() const { return eventChar_; }
    void SetEventChar(char value);
    // The line events the monitor watches while the port is open. Stored only;
    // takes effect at the next Open.
    TComEvents Events() const { return events_; }
    void SetEvents(TComEvents value) { events_ = value; }
    // How the monitor reaches this port's thread to dispatch what it saw. A port
    // without one runs no monitor. Takes effect at the next Open.
    void SetEventDispatcher(std::shared_ptr<EventDispatcher> dispatcher);
    TSyncMethod SyncMethod() const { return syncMethod_; }
    void SetSyncMethod(TSyncMethod value) { syncMethod_ = value; }
    // Which groups SaveSettings writes; sgLine alone when constructed.
    TSavedGroups SavedGroups() const { return savedGroups_; }
    void SetSavedGroups(TSavedGroups value) { savedGroups_ = value; }

    // Writes the saved groups to the key Location names, with the port's name added:
    // "HKEY_LOCAL_MACHINE\Software\ORVENA" stores under Software\ORVENA\ComPort of that
    // root. All values are stored or none on Linux; Windows' registry may keep
    // those before a failure (RegistryKey::commit). Any failure is EComPort code
    // 16, which carries no system number.
    void SaveSettings(const std::string& Location);

    // Runs the port setup dialog on this port: it shows the current settings and,
    // on OK, applies the operator's choices. The dialog lives above this layer and
    // is registered with SetSetupRunner; with none registered this throws
    // std::logic_error.
    void RunSetupDialog();
    using TSetupRunner = std::function<void(TCustomComPort& Port)>;
    void SetSetupRunner(TSetupRunner runner) { setupRunner_ = std::move(runner); }

    // The sub-records; the Set... forms copy a whole record and apply its group
    // without comparing.
    TComBuffer& Buffer() { return buffer_; }
    const TComBuffer& Buffer() const { return buffer_; }
    void SetBuffer(const TComBuffer& value);
    TComParity& Parity() { return parity_; }
    const TComParity& Parity() const { return parity_; }
    void SetParity(const TComParity& value);
    TComTimeouts& Timeouts() { return timeouts_; }
    const TComTimeouts& Timeouts() const { return timeouts_; }
    void SetTimeouts(const TComTimeouts& value);
    TComFlowControl& FlowControl() { return flowControl_; }
    const TComFlowControl& FlowControl() const { return flowControl_; }
    void SetFlowControl(const TComFlowControl& value);

    // Handlers, called by the hooks of the same name when assigned.
    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnTxEmpty;
    TNotifyEvent OnBreak;
    TNotifyEvent OnRing;
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComSignalEvent OnRLSDChange;
    TComErrorEvent OnError;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnAfterOpen;
    TNotifyEvent OnAfterClose;
    TNotifyEvent OnBeforeOpen;
    TNotifyEvent OnBeforeClose;
    TNotifyEvent OnRx80Full;

protected:
    // Writes the values of the saved groups to an open key.
    virtual void SaveToRegistry(RegistryKey& Key);
    virtual void CreateDeviceHandle();
    virtual void DestroyDeviceHandle();
    // Queue sizes, line settings, timeouts, in that order.
    virtual void ApplySettings();

    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(int Count);
    virtual void DoRxBuf(const char* Buffer, int Count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTSChange(bool OnOff);
    virtual void DoDSRChange(bool OnOff);
    virtual void DoError(TComErrors Errors);
    virtual void DoRLSDChange(bool OnOff);
    virtual void DoRx80Full();

    // Each does nothing unless the port is open, outside any batch and not loading.
    virtual void ApplyLineSettings();
    virtual void ApplyTimeoutValues();
    virtual void ApplyQueueSizes();

private:
    friend class TComParity;
    friend class TComFlowControl;
    friend class TComTimeouts;
    friend class TComBuffer;

    bool mayApply() const;
    LineParameters lineParameters() const;
    template <typename T>
    void changeLineSetting(T& field, T value);
    void requireDevice(int code) const;
    void pullInput(int code);
    void startMonitor();
    void stopMonitor();
    // One batch of the monitor, on this port's thread.
    void dispatchEvents(TComEvents events);

    ComDeviceFactory factory_;  // none: device_ is the only one
    std::unique_ptr<ComDevice> device_;
    int batchDepth_ = 0;
    bool loading_ = false;
    bool openWhenLoaded_ = false;
    bool connected_ = false;
    TBaudRate baudRate_ = br9600;
    int customBaudRate_ = 9600;
    std::string port_ = "COM1";
    PortAddress address_ = PortAddress::parse(port_);
    TStopBits stopBits_ = sbOneStopBit;
    TDataBits dataBits_ = dbEight;
    bool discardNull_ = false;
    char eventChar_ = 0;
    TComEvents events_ = allComEvents;
    TComBuffer buffer_{this};
    TComParity parity_{this};
    TComTimeouts timeouts_{this};
    TComFlowControl flowControl_{this};
    TSyncMethod syncMethod_ = smThreadSync;
    TSavedGroups savedGroups_{sgLine};
    TSetupRunner setupRunner_;
    std::string input_;  // received, not yet read
    std::shared_ptr<EventDispatcher> dispatcher_;
    std::unique_ptr<TComThread> monitor_;  // while open, when one runs
};

// The port as the program uses it: on the device its builder gives it (a
// simulated sign, a test's fake) or makes for each address (machineDevice);
// on the system's serial devices alone (serialDevice) when given none.
class TComPort : public TCustomComPort {
public:
    TComPort();
    explicit TComPort(std::unique_ptr<ComDevice> device);
    explicit TComPort(ComDeviceFactory factory);
};

}  // namespace stela
