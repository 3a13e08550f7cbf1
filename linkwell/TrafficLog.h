#pragma once
// The traffic log "C:\Tolvar.log": a line for every open, close, read and write of a serial port,
// kept when the settings value "EnableLogging" asks for it. One log for the whole process; lines
// come from several threads and each is written whole.
//
// A line: "%d:%d:%d:%03d - COM%-2d : " (local hour, minute, second, milliseconds, port), then
// "Recv: ", "Send: " or nothing for a status text, then the bytes with every byte below 32 or above
// 127 written as ".", then "\r\n". At most LINK_MAX_PAYLOAD data bytes go into one line.
#include <base/WinDef.h>

enum TrafficKind {
  TRAFFIC_STATUS = 0,  // "Start Open", "Open OK", "Open Failed", "Close OK"
  TRAFFIC_RECV = 1,
  TRAFFIC_SEND = 2,
};

// Creates the log anew (emptied) when "EnableLogging" exists under the settings key and fits in
// 4 bytes; true when the log is open then. An open log stays as it is.
bool OpenTrafficLog();
void CloseTrafficLog();
bool IsTrafficLogOpen();

// Appends one line with `count` bytes of `data`, or with count -1 the NUL-terminated text `data`.
// Nothing happens while the log is closed or when count is 0.
void LogTraffic(WORD port, const void* data, int kind, int count);
