#include "PhoneProbe.h"

#include "LinkSettings.h"
#include "PteChannel.h"
#include "SerialPort.h"

#include <linkwell/PteFrame.h>

#include <base/LastError.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <kernel/UniqueHandle.h>
#include <kernel/Wait.h>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

constexpr DWORD kDefaultATTimeOut = 3000;
constexpr DWORD kEchoWait = 500;      // for "ATE1": a phone answers it at once or is not there
constexpr int kEchoAttempts = 3;
constexpr DWORD kProbeBaud = 115200;
constexpr DWORD kPteWait = 500;
constexpr DWORD kAtChunk = 128;       // bytes taken per read of an AT answer
constexpr std::size_t kMaxAnswer = 4096;  // an answer this long without "OK" or "ERROR" is noise
constexpr DWORD kVersionSize = 512;
constexpr char kMakerName[] = "Halvane";
constexpr BYTE kProbeEventMask = 2;   // "Serial recv event2" only

// Both probes may run at once (the connect thread and the phone setup's detection): what they
// share is read and written whole.
std::atomic<DWORD> g_atTimeOut{kDefaultATTimeOut};
std::atomic<int> g_rememberedPteRow{-1};

int NoPhone(std::string& model) {
  model = NO_PHONE_TEXT;
  return PHONE_TYPE_NONE;
}

}  // namespace

DWORD LoadATTimeOut() {
  CSettingsKey settings;
  if (const std::optional<DWORD> value = settings.ReadDword("ATTimeOut")) {
    g_atTimeOut = *value;
  } else {
    settings.WriteDword("ATTimeOut", g_atTimeOut);
  }
  return g_atTimeOut;
}

int SendATCommand(CSerialPort& port, std::string& text, DWORD waitMs) {
  tolvar::kernel::UniqueHandle received(CreateEventA(nullptr, FALSE, FALSE, "Serial recv event2"));
  ResetEvent(received.Get());
  port.Write(reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()));
  text.clear();
  while (WaitForSingleObject(received.Get(), waitMs) == WAIT_OBJECT_0) {
    BYTE chunk[kAtChunk];
    DWORD count = 1;
    while (port.Read(chunk, count) > 0) {
      text.append(reinterpret_cast<const char*>(chunk), count);
      count = kAtChunk;
    }
    if (text.find("ERROR") != std::string::npos) return -1;
    if (text.find("OK") != std::string::npos) return 1;
    if (text.size() > kMaxAnswer) break;  // a line that never stops talking is no phone
  }
  return 0;
}

int ProbePhoneAT(const std::string& probePort, std::string& model) {
  auto port = std::make_unique<CSerialPort>();
  port->SetPortName(probePort.c_str(), kProbeBaud);
  // The mask is set before the open, so that not one byte of the probe wakes the link worker.
  port->SetEventMask(kProbeEventMask);
  port->OpenPort();  // a port that does not open answers nothing, which ends the probe below

  const DWORD atTimeOut = LoadATTimeOut();
  int echo = 0;
  for (int attempt = 0; attempt < kEchoAttempts && echo != 1; ++attempt) {
    std::string text = "ATE1\r\n";
    echo = SendATCommand(*port, text, kEchoWait);
  }
  if (echo == 0) return NoPhone(model);

  std::string answer = "AT+GMM\r\n";
  if (SendATCommand(*port, answer, atTimeOut) != 1) return NoPhone(model);
  model = ModelLineOfAnswer(answer);

  std::string maker = "AT+GMI\r\n";
  if (SendATCommand(*port, maker, atTimeOut) != 1 || maker.find(kMakerName) == std::string::npos) {
    return NoPhone(model);
  }
  return PhoneTypeOfModel(model);
}

int ProbePhonePte(const std::string& port, std::string& model, int firstRow, int lastRow) {
  firstRow = std::max(firstRow, 0);
  lastRow = std::min(lastRow, PTE_PROBE_ROWS - 1);
  SetLastError(0);
  bool answered = false;
  for (int row = firstRow; row <= lastRow; ++row) {
    CPteChannel channel;
    char version[kVersionSize] = {};
    if (!channel.EnterPteMode(port.c_str(), kPteWait, kProbeBaud) ||
        !channel.UsePteCommand(PteProbeTable()[row].modelCode) || !channel.ShowSwVersion(version, sizeof version)) {
      continue;
    }
    g_rememberedPteRow = row;
    const std::string name = PteModelName(row, version);
    if (name.empty()) {
      answered = true;  // the phone answered, but it is not of this row's family
      break;
    }
    model = name;
    return PteProbeTable()[row].phoneType;
  }
  g_rememberedPteRow = -1;
  if (answered || GetLastError() == 0) SetLastError(ERROR_NO_PHONE_FOUND);
  return NoPhone(model);
}

int RememberedPteRow() { return g_rememberedPteRow; }
