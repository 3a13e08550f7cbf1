// The link engine's PTE frames: the wake-up sequence, command frames out and reply frames in.
// This is the library's one source that codes frames, with the link protocol's coder.
#include "LinkEngine.h"

#include <linkwell/PteFrame.h>

#include <base/LastError.h>
#include <base/WinError.h>

bool CLinkEngine::SendWakeUpSequence() {
  for (std::span<const BYTE> part : PteWakeUpSequence()) {
    if (!SendToPhone(part.data(), static_cast<DWORD>(part.size()))) return false;
  }
  return true;
}

int CLinkEngine::SendFrame(std::string_view text) {
  if (text.size() >= static_cast<std::size_t>(kTextSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  BYTE frame[PteFrameCapacity(kTextSize - 1)];
  const DWORD size = EncodePteFrame(text, frame);
  if (SendToPhone(frame, size)) return 1;
  // The link broke: connect and wake the phone once more, then try the frame again.
  WakePhone(5000);
  return SendToPhone(frame, size) ? 1 : 0;
}

int CLinkEngine::ReadReply(std::string& reply) {
  // A frame longer than a reply text can be is read to its end and dropped, like any bad frame.
  PteFrameCollector collector(kTextSize);
  char text[kTextSize];
  while (true) {
    BYTE byte;
    if (ReadBytes(&byte, 1) != 1) return 0;  // no reply, cancelled or link down: the last error says
    if (collector.Feed(byte) != PteFrameCollector::PTE_FRAME) continue;
    if (DecodePteFrame(collector.Collected(), text)) {
      reply = text;
      return 1;
    }
  }
}
