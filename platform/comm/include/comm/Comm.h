#pragma once
// Serial ports. CreateFileA("\\.\COMn") opens the device that the serial device map gives for COMn,
// exclusively: a second open, from this process or another, fails with ERROR_ACCESS_DENIED. ReadFile,
// WriteFile (blocking, or overlapped with FILE_FLAG_OVERLAPPED), GetOverlappedResult, CancelIo,
// FlushFileBuffers and CloseHandle work on the handle as on any device (<kernel/Io.h>).
//
// Reads and writes keep Windows' time-out rules (see COMMTIMEOUTS). A port whose device goes away (a
// USB adapter pulled out, the other end of a pseudo-terminal closed) completes what was pending with
// ERROR_OPERATION_ABORTED and fails every later call with ERROR_GEN_FAILURE.
#include <kernel/File.h>
#include <kernel/Io.h>

#include <base/WinDef.h>

// Device control block, with Windows' fields. The layer sets the line to raw bytes, always.
struct DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fBinary : 1;
  DWORD fParity : 1;            // check received parity (only meaningful with Parity != NOPARITY)
  DWORD fOutxCtsFlow : 1;       // CTS output flow control (as RTS_CONTROL_HANDSHAKE: both are CRTSCTS)
  DWORD fOutxDsrFlow : 1;       // not available on Linux: refused
  DWORD fDtrControl : 2;        // DTR_CONTROL_DISABLE or DTR_CONTROL_ENABLE (handshake refused)
  DWORD fDsrSensitivity : 1;    // not available: refused
  DWORD fTXContinueOnXoff : 1;  // kept; Linux always goes on sending after it sent XOFF
  DWORD fOutX : 1;              // XON/XOFF on output
  DWORD fInX : 1;               // XON/XOFF on input
  DWORD fErrorChar : 1;         // not available: refused
  DWORD fNull : 1;              // drop received NUL bytes
  DWORD fRtsControl : 2;        // DISABLE, ENABLE or HANDSHAKE (toggle refused)
  DWORD fAbortOnError : 1;      // kept; no line errors are ever reported, so nothing is aborted
  DWORD fDummy2 : 17;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;  // 5 to 8
  BYTE Parity;    // NOPARITY ... SPACEPARITY
  BYTE StopBits;  // ONESTOPBIT, ONE5STOPBITS (5 data bits only), TWOSTOPBITS
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
};
using LPDCB = DCB*;

constexpr DWORD CBR_110 = 110;
constexpr DWORD CBR_300 = 300;
constexpr DWORD CBR_600 = 600;
constexpr DWORD CBR_1200 = 1200;
constexpr DWORD CBR_2400 = 2400;
constexpr DWORD CBR_4800 = 4800;
constexpr DWORD CBR_9600 = 9600;
constexpr DWORD CBR_19200 = 19200;
constexpr DWORD CBR_38400 = 38400;
constexpr DWORD CBR_57600 = 57600;
constexpr DWORD CBR_115200 = 115200;

constexpr BYTE NOPARITY = 0;
constexpr BYTE ODDPARITY = 1;
constexpr BYTE EVENPARITY = 2;
constexpr BYTE MARKPARITY = 3;
constexpr BYTE SPACEPARITY = 4;

constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE ONE5STOPBITS = 1;
constexpr BYTE TWOSTOPBITS = 2;

constexpr DWORD DTR_CONTROL_DISABLE = 0;
constexpr DWORD DTR_CONTROL_ENABLE = 1;
constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_DISABLE = 0;
constexpr DWORD RTS_CONTROL_ENABLE = 1;
constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_TOGGLE = 3;

// Time-outs in milliseconds, with Windows' meaning:
// - reads: a total limit of ReadTotalTimeoutMultiplier * bytes asked + ReadTotalTimeoutConstant
//   (none when both are 0) and an interval limit between two received bytes, counted from the
//   first (none when 0); a read that runs out returns successfully with the bytes so far;
// - ReadIntervalTimeout MAXDWORD with both total values 0: return at once with what is there;
// - ReadIntervalTimeout and ReadTotalTimeoutMultiplier MAXDWORD, 0 < constant < MAXDWORD: return at
//   once when bytes are there, else with the first bytes that come within the constant;
// - ReadIntervalTimeout MAXDWORD with other total values: return as soon as any bytes are there,
//   or when the total limit runs out;
// - writes: a total limit of WriteTotalTimeoutMultiplier * bytes + WriteTotalTimeoutConstant (none
//   when both are 0); a write that runs out returns successfully with the bytes written so far.
struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
};
using LPCOMMTIMEOUTS = COMMTIMEOUTS*;

struct COMSTAT {
  DWORD fCtsHold : 1;
  DWORD fDsrHold : 1;
  DWORD fRlsdHold : 1;
  DWORD fXoffHold : 1;
  DWORD fXoffSent : 1;
  DWORD fEof : 1;
  DWORD fTxim : 1;
  DWORD fReserved : 25;
  DWORD cbInQue;   // bytes received and not yet read
  DWORD cbOutQue;  // bytes of pending writes not yet sent
};
using LPCOMSTAT = COMSTAT*;

// Events of WaitCommEvent. Ports here report received characters only; SetCommMask refuses others.
constexpr DWORD EV_RXCHAR = 0x0001;

// PurgeComm
constexpr DWORD PURGE_TXABORT = 0x0001;
constexpr DWORD PURGE_RXABORT = 0x0002;
constexpr DWORD PURGE_TXCLEAR = 0x0004;
constexpr DWORD PURGE_RXCLEAR = 0x0008;

// EscapeCommFunction. A pseudo-terminal has no modem lines: there the calls succeed and change nothing.
constexpr DWORD SETRTS = 3;
constexpr DWORD CLRRTS = 4;
constexpr DWORD SETDTR = 5;
constexpr DWORD CLRDTR = 6;

// Sizes the input buffer (bytes received that wait for a read; when full, further bytes wait in the
// device). The output size is accepted: writes go straight to the device.
BOOL SetupComm(HANDLE file, DWORD inQueue, DWORD outQueue);

// GetCommState describes the line as set now; SetCommState sets it all at once, or nothing with
// ERROR_INVALID_PARAMETER when a value cannot be had. DTR and RTS are set as asked where the
// device has those lines.
BOOL GetCommState(HANDLE file, LPDCB dcb);
BOOL SetCommState(HANDLE file, LPDCB dcb);

BOOL GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
// Applies to reads and writes started afterwards.
BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);

// Any mask ends a pending WaitCommEvent (it completes with an event mask of 0).
BOOL SetCommMask(HANDLE file, DWORD eventMask);
BOOL GetCommMask(HANDLE file, LPDWORD eventMask);

// Completes when an event of the mask happens: at once when one happened since the last wait or
// SetCommMask, else later (ERROR_IO_PENDING with an OVERLAPPED on an overlapped handle; the event
// mask is written when it completes). One wait at a time: a second fails with ERROR_INVALID_PARAMETER.
BOOL WaitCommEvent(HANDLE file, LPDWORD eventMask, LPOVERLAPPED overlapped);

// Aborts pending writes (PURGE_TXABORT) or reads (PURGE_RXABORT) with ERROR_OPERATION_ABORTED, and
// discards unsent (PURGE_TXCLEAR) or received, unread bytes (PURGE_RXCLEAR).
BOOL PurgeComm(HANDLE file, DWORD flags);

// Line errors (always 0: bytes are never dropped, the input waits in the device when the buffer is
// full) and the queue state.
BOOL ClearCommError(HANDLE file, LPDWORD errors, LPCOMSTAT status);

BOOL EscapeCommFunction(HANDLE file, DWORD function);
