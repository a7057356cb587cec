#include "serial/ComSettings.h"

#include "serial/TComPort.h"

namespace stela {
namespace {

using ApplyStep = void (TCustomComPort::*)();

// Stores a different value and has the owning port apply the record's group.
template <typename T>
void change(T& field, T value, TCustomComPort* owner, ApplyStep apply) {
    if (field == value) {
        return;
    }
    field = value;
    if (owner != nullptr) {
        (owner->*apply)();
    }
}

int withoutOddByte(int size) {
    return size > 0 && size % 2 != 0 ? size - 1 : size;
}

}  // namespace

// --- TComParity -----------------------------------------------------------------

TComParity::TComParity(const TComParity& other) : owner_(nullptr) {
    Assign(other);
}

void TComParity::Assign(const TComParity& source) {
    bits_ = source.bits_;
    check_ = source.check_;
    replace_ = source.replace_;
    replaceChar_ = source.replaceChar_;
}

void TComParity::SetBits(TParityBits value) {
    change(bits_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComParity::SetCheck(bool value) {
    change(check_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComParity::SetReplace(bool value) {
    change(replace_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComParity::SetReplaceChar(char value) {
    change(replaceChar_, value, owner_, &TCustomComPort::ApplyLineSettings);
}

// --- TComFlowControl ------------------------------------------------------------

TComFlowControl::TComFlowControl(const TComFlowControl& other) : owner_(nullptr) {
    Assign(other);
}

void TComFlowControl::Assign(const TComFlowControl& source) {
    outCTSFlow_ = source.outCTSFlow_;
    outDSRFlow_ = source.outDSRFlow_;
    controlDTR_ = source.controlDTR_;
    controlRTS_ = source.controlRTS_;
    xonXoffOut_ = source.xonXoffOut_;
    xonXoffIn_ = source.xonXoffIn_;
    dsrSensitivity_ = source.dsrSensitivity_;
    txContinueOnXoff_ = source.txContinueOnXoff_;
    xonChar_ = source.xonChar_;
    xoffChar_ = source.xoffChar_;
}

void TComFlowControl::SetOutCTSFlow(bool value) {
    change(outCTSFlow_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComFlowControl::SetOutDSRFlow(bool value) {
    change(outDSRFlow_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComFlowControl::SetControlDTR(TDTRFlowControl value) {
    change(controlDTR_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComFlowControl::SetControlRTS(TRTSFlowControl value) {
    change(controlRTS_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComFlowControl::SetXonXoffOut(bool value) {
    change(xonXoffOut_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComFlowControl::SetXonXoffIn(bool value) {
    change(xonXoffIn_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComFlowControl::SetDSRSensitivity(bool value) {
    change(dsrSensitivity_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComFlowControl::SetTxContinueOnXoff(bool value) {
    change(txContinueOnXoff_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComFlowControl::SetXonChar(char value) {
    change(xonChar_, value, owner_, &TCustomComPort::ApplyLineSettings);
}
void TComFlowControl::SetXoffChar(char value) {
    change(xoffChar_, value, owner_, &TCustomComPort::ApplyLineSettings);
}

TFlowControl TComFlowControl::FlowControl() const {
    if (controlRTS_ == rtsHandshake && outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) {
        return fcHardware;
    }
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_) {
        return fcSoftware;
    }
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) {
        return fcNone;
    }
    return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
    if (value != fcCustom) {
        controlRTS_ = rtsDisable;
        outCTSFlow_ = false;
        xonXoffIn_ = false;
        xonXoffOut_ = false;
    }
    if (value == fcHardware) {
        controlRTS_ = rtsHandshake;
        outCTSFlow_ = true;
    } else if (value == fcSoftware) {
        xonXoffIn_ = true;
        xonXoffOut_ = true;
    }
    if (owner_ != nullptr) {
        owner_->ApplyLineSettings();
    }
}

// --- TComTimeouts ---------------------------------------------------------------

TComTimeouts::TComTimeouts(const TComTimeouts& other) : owner_(nullptr) {
    Assign(other);
}

void TComTimeouts::Assign(const TComTimeouts& source) {
    readInterval_ = source.readInterval_;
    readTotalMultiplier_ = source.readTotalMultiplier_;
    readTotalConstant_ = source.readTotalConstant_;
    writeTotalMultiplier_ = source.writeTotalMultiplier_;
    writeTotalConstant_ = source.writeTotalConstant_;
}

void TComTimeouts::SetReadInterval(int value) {
    change(readInterval_, value, owner_, &TCustomComPort::ApplyTimeoutValues);
}
void TComTimeouts::SetReadTotalMultiplier(int value) {
    change(readTotalMultiplier_, value, owner_, &TCustomComPort::ApplyTimeoutValues);
}
void TComTimeouts::SetReadTotalConstant(int value) {
    change(readTotalConstant_, value, owner_, &TCustomComPort::ApplyTimeoutValues);
}
void TComTimeouts::SetWriteTotalMultiplier(int value) {
    change(writeTotalMultiplier_, value, owner_, &TCustomComPort::ApplyTimeoutValues);
}
void TComTimeouts::SetWriteTotalConstant(int value) {
    change(writeTotalConstant_, value, owner_, &TCustomComPort::ApplyTimeoutValues);
}

// --- TComBuffer -----------------------------------------------------------------

TComBuffer::TComBuffer(const TComBuffer& other) : owner_(nullptr) {
    Assign(other);
}

void TComBuffer::Assign(const TComBuffer& source) {
    inputSize_ = source.inputSize_;
    outputSize_ = source.outputSize_;
}

void TComBuffer::SetInputSize(int value) {
    change(inputSize_, withoutOddByte(value), owner_, &TCustomComPort::ApplyQueueSizes);
}
void TComBuffer::SetOutputSize(int value) {
    change(outputSize_, withoutOddByte(value), owner_, &TCustomComPort::ApplyQueueSizes);
}

}  // namespace stela
