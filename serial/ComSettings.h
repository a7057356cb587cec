#pragma once

#include "serial/ComTypes.h"

namespace stela {

class TCustomComPort;

// The settings sub-records of a port. The port owns one of each and is their
// owner: changing a field to a different value stores it and applies the record's
// group to the open device through the owner. A copy is detached (no owner), for
// editing a record before handing it to the port whole; Assign copies every field
// into a record without applying anything.

class TComParity {
public:
    explicit TComParity(TCustomComPort* owner = nullptr) : owner_(owner) {}
    TComParity(const TComParity& other);
    TComParity& operator=(const TComParity&) = delete;
    void Assign(const TComParity& source);
    TCustomComPort* ComPort() const { return owner_; }

    TParityBits Bits() const { return bits_; }
    void SetBits(TParityBits value);
    bool Check() const { return check_; }
    void SetCheck(bool value);
    bool Replace() const { return replace_; }
    void SetReplace(bool value);
    char ReplaceChar() const { return replaceChar_; }
    void SetReplaceChar(char value);

private:
    TCustomComPort* owner_;
    TParityBits bits_ = prNone;
    bool check_ = false;
    bool replace_ = false;
    char replaceChar_ = 0;
};

class TComFlowControl {
public:
    explicit TComFlowControl(TCustomComPort* owner = nullptr) : owner_(owner) {}
    TComFlowControl(const TComFlowControl& other);
    TComFlowControl& operator=(const TComFlowControl&) = delete;
    void Assign(const TComFlowControl& source);
    TCustomComPort* ComPort() const { return owner_; }

    bool OutCTSFlow() const { return outCTSFlow_; }
    void SetOutCTSFlow(bool value);
    bool OutDSRFlow() const { return outDSRFlow_; }
    void SetOutDSRFlow(bool value);
    TDTRFlowControl ControlDTR() const { return controlDTR_; }
    void SetControlDTR(TDTRFlowControl value);
    TRTSFlowControl ControlRTS() const { return controlRTS_; }
    void SetControlRTS(TRTSFlowControl value);
    bool XonXoffOut() const { return xonXoffOut_; }
    void SetXonXoffOut(bool value);
    bool XonXoffIn() const { return xonXoffIn_; }
    void SetXonXoffIn(bool value);
    bool DSRSensitivity() const { return dsrSensitivity_; }
    void SetDSRSensitivity(bool value);
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }
    void SetTxContinueOnXoff(bool value);
    char XonChar() const { return xonChar_; }
    void SetXonChar(char value);
    char XoffChar() const { return xoffChar_; }
    void SetXoffChar(char value);

    // The summary of the RTS, CTS and XON/XOFF fields (DTR and DSR play no part).
    TFlowControl FlowControl() const;
    // Sets those fields to the preset (fcCustom changes none) and applies the line
    // settings in every case.
    void SetFlowControl(TFlowControl value);

private:
    TCustomComPort* owner_;
    bool outCTSFlow_ = false;
    bool outDSRFlow_ = false;
    TDTRFlowControl controlDTR_ = dtrDisable;
    TRTSFlowControl controlRTS_ = rtsDisable;
    bool xonXoffOut_ = false;
    bool xonXoffIn_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
    char xonChar_ = 0x11;
    char xoffChar_ = 0x13;
};

// Milliseconds; -1 reaches the device as the all-ones 32-bit value.
class TComTimeouts {
public:
    explicit TComTimeouts(TCustomComPort* owner = nullptr) : owner_(owner) {}
    TComTimeouts(const TComTimeouts& other);
    TComTimeouts& operator=(const TComTimeouts&) = delete;
    void Assign(const TComTimeouts& source);
    TCustomComPort* ComPort() const { return owner_; }

    int ReadInterval() const { return readInterval_; }
    void SetReadInterval(int value);
    int ReadTotalMultiplier() const { return readTotalMultiplier_; }
    void SetReadTotalMultiplier(int value);
    int ReadTotalConstant() const { return readTotalConstant_; }
    void SetReadTotalConstant(int value);
    int WriteTotalMultiplier() const { return writeTotalMultiplier_; }
    void SetWriteTotalMultiplier(int value);
    int WriteTotalConstant() const { return writeTotalConstant_; }
    void SetWriteTotalConstant(int value);

private:
    TCustomComPort* owner_;
    int readInterval_ = -1;
    int readTotalMultiplier_ = 0;
    int readTotalConstant_ = 0;
    int writeTotalMultiplier_ = 100;
    int writeTotalConstant_ = 1000;
};

// Queue sizes in bytes; a positive odd size is lowered by one.
class TComBuffer {
public:
    explicit TComBuffer(TCustomComPort* owner = nullptr) : owner_(owner) {}
    TComBuffer(const TComBuffer& other);
    TComBuffer& operator=(const TComBuffer&) = delete;
    void Assign(const TComBuffer& source);
    TCustomComPort* ComPort() const { return owner_; }

    int InputSize() const { return inputSize_; }
    void SetInputSize(int value);
    int OutputSize() const { return outputSize_; }
    void SetOutputSize(int value);

private:
    TCustomComPort* owner_;
    int inputSize_ = 1024;
    int outputSize_ = 1024;
};

}  // namespace stela
