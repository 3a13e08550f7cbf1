// The command exchange that every phone command repeats, and "UsePteCommand", which opens the
// phone's command set for a model.
#include "LinkEngine.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

namespace {

constexpr int kLateReplyWait = 300;    // ms of silence that ends the wait for a late answer
constexpr int kSecondReplyWait = 100;  // "UsePteCommand" may answer in two frames

}  // namespace

int CLinkEngine::Exchange(std::string_view text, std::string& reply) {
  if (m_retryCount == 0) {
    SetLastError(ERROR_PHONE_NO_REPLY);
    return 0;
  }
  int attempt = 0;
  for (;; ++attempt) {
    if (attempt == m_retryCount) {
      SetLastError(ERROR_PHONE_NO_REPLY);
      return 0;
    }
    if (!SendFrame(text)) return 0;
    if (ReadReply(reply)) break;
    if (GetLastError() == ERROR_PA_CANCELLED) return 0;
  }
  if (attempt > 0) {
    // The phone may still answer the copies sent before: those answers are not the reply of the
    // next command.
    const int keptTimeout = m_replyTimeout;
    m_replyTimeout = kLateReplyWait;
    std::string late;
    for (int i = 0; i < attempt; ++i) ReadReply(late);
    m_replyTimeout = keptTimeout;
    SetLastError(0);
  }
  return 1;
}

int CLinkEngine::ExchangeOnce(std::string_view text, std::string& reply) {
  if (!SendFrame(text)) return 0;
  return ReadReply(reply);
}

int CLinkEngine::UsePteCommand(std::string_view modelCode) {
  std::string reply;
  if (!ExchangeOnce(CommandText("UsePteCommand,%.*s", static_cast<int>(modelCode.size()), modelCode.data()), reply)) {
    return 0;
  }
  CReplyFields fields;
  fields.Split(reply, ":");
  if (fields.GetCount() == 2) {
    const int keptTimeout = m_replyTimeout;
    m_replyTimeout = kSecondReplyWait;
    const int got = ReadReply(reply);
    m_replyTimeout = keptTimeout;
    if (!got) return 0;
    fields.Split(reply, ":");
  }
  const int accepted = fields.GetCount() == 3 ? ReadNumber(fields.GetField(2)) : -1;
  if (accepted == 1) return 1;
  if (accepted == 0) {
    SetLastError(m_helloText.IsEmpty() ? ERROR_PA_NOT_SUPPORTED : ERROR_PA_OTHER_MODEL);
  } else {
    // Not a refusal, but no consent either: say so rather than leave the read's 0 standing.
    SetLastError(ERROR_PHONE_BAD_REPLY);
  }
  return 0;
}
