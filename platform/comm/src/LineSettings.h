#pragma once
// The device control block in terms of a terminal's termios settings.
#include <comm/Comm.h>

#include <termios.h>

namespace tolvar::comm {

// Raw bytes both ways: no echo, no line editing, no translation, no signals, receiver on, modem
// status lines ignored. Speed, character size, parity and flow control are left as they are.
void MakeRaw(termios& modes);

// The block that describes a line set as `modes` (a port's state when it is opened).
DCB DcbFromModes(const termios& modes);

// Sets `modes` as `dcb` asks. False, with `modes` unchanged, when the block asks for something the
// line cannot do (an unknown speed, character size, parity or stop bits; DSR flow control or
// sensitivity, DTR handshake, RTS toggle, the error character; equal XON and XOFF characters with
// XON/XOFF on).
bool ApplyDcb(const DCB& dcb, termios& modes);

}  // namespace tolvar::comm
