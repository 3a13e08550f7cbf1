#include <linkwell/PteFrame.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<BYTE, 9> kTrace = {'A', 'T', '*', 'T', 'R', 'A', 'C', 'E', '\r'};
constexpr std::array<BYTE, 92> kSyncRun = [] {
  std::array<BYTE, 92> run{};
  run.fill(PTE_SYN);
  return run;
}();
constexpr std::array<BYTE, 4> kVl = {'V', PTE_SYN, 'L', PTE_SYN};
constexpr std::array<BYTE, 2> kZ = {'Z', PTE_SYN};
constexpr std::array<std::span<const BYTE>, 4> kWakeUp = {kTrace, kSyncRun, kVl, kZ};

constexpr BYTE kFrameStart = 0x00;
constexpr BYTE kSecondLead = 0x01;  // some replies carry it before the lead byte

}  // namespace

std::span<const std::span<const BYTE>> PteWakeUpSequence() { return kWakeUp; }

DWORD EncodePteFrame(std::string_view text, std::span<BYTE> frame) {
  DWORD size = 0;
  auto put = [&](BYTE b) {
    if (size >= frame.size()) return false;
    frame[size++] = b;
    return true;
  };
  if (!put(kFrameStart)) return 0;
  for (char ch : text) {
    const BYTE b = static_cast<BYTE>(ch);
    if ((b == PTE_DLE || b == PTE_SYN) && !put(PTE_DLE)) return 0;
    if (!put(b)) return 0;
  }
  return put(PTE_SYN) ? size : 0;
}

bool DecodePteFrame(std::span<const BYTE> collected, std::span<char> text) {
  // The collected bytes count as a text up to their first NUL.
  const auto nul = std::find(collected.begin(), collected.end(), BYTE{0});
  collected = collected.first(static_cast<std::size_t>(nul - collected.begin()));
  std::size_t lead = 0;
  if (!collected.empty() && collected[0] == PTE_REPLY_LEAD) {
    lead = 1;
  } else if (collected.size() >= 2 && collected[0] == kSecondLead && collected[1] == PTE_REPLY_LEAD) {
    lead = 2;
  } else {
    return false;
  }
  std::span<const BYTE> reply = collected.subspan(lead);
  if (!reply.empty() && reply.back() == '\n') reply = reply.first(reply.size() - 1);
  if (text.size() < reply.size() + 1) return false;
  if (!reply.empty()) std::memcpy(text.data(), reply.data(), reply.size());
  text[reply.size()] = '\0';
  return true;
}

PteFrameCollector::PteFrameCollector(DWORD capacity) : m_capacity(capacity) { m_bytes.reserve(capacity); }

PteFrameCollector::Result PteFrameCollector::Feed(BYTE byte) {
  if (m_frameEnded) {
    m_bytes.clear();
    m_frameEnded = false;
    m_overlong = false;
  }
  auto store = [this](BYTE b) {
    if (m_bytes.size() < m_capacity) {
      m_bytes.push_back(b);
    } else {
      m_overlong = true;
    }
  };
  if (m_literalNext) {
    m_literalNext = false;
    store(byte);
    return PTE_MORE;
  }
  if (m_inEscape && byte == 0x00) {
    m_inEscape = false;
    return PTE_MORE;
  }
  switch (byte) {
    case PTE_DLE:
      m_literalNext = true;
      return PTE_MORE;
    case PTE_ESC:
      m_inEscape = true;
      return PTE_MORE;
    case PTE_SYN:
      m_frameEnded = true;
      if (m_overlong) {
        m_bytes.clear();
        return PTE_OVERLONG;
      }
      return PTE_FRAME;
    default:
      store(byte);
      return PTE_MORE;
  }
}
