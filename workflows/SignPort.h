#pragma once

namespace stela {

class TCustomComPort;

// Gives the window's port object the sign's line settings: COM1, 19200 bit/s,
// 8 data bits, no parity, one stop bit, no flow control of any kind, DTR and
// RTS off, received NUL bytes dropped, all ten line events watched. Assigned
// as stored settings, so nothing reaches a device; the port stays closed.
void loadSignPortSettings(TCustomComPort& port);

}  // namespace stela
