#include "workflows/SignPort.h"

#include "serial/TComPort.h"

namespace stela {

void loadSignPortSettings(TCustomComPort& port) {
    port.BeginLoading();
    port.SetPort("COM1");
    port.SetBaudRate(br19200);
    port.SetDataBits(dbEight);
    port.Parity().SetBits(prNone);
    port.SetStopBits(sbOneStopBit);
    port.SetDiscardNull(true);
    TComFlowControl& flow = port.FlowControl();
    flow.SetOutCTSFlow(false);
    flow.SetOutDSRFlow(false);
    flow.SetControlDTR(dtrDisable);
    flow.SetControlRTS(rtsDisable);
    flow.SetXonXoffOut(false);
    flow.SetXonXoffIn(false);
    port.SetEvents(allComEvents);
    port.Loaded();
}

}  // namespace stela
