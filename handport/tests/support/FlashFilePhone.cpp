#include "support/FlashFilePhone.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::vector<std::string> Arguments(const std::string& command) {
  std::vector<std::string> args;
  std::size_t at = command.find(',');
  while (at != std::string::npos) {
    const std::size_t next = command.find(',', at + 1);
    args.push_back(command.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
    at = next;
  }
  return args;
}

std::string NameOf(const std::string& command) { return command.substr(0, command.find(',')); }

constexpr std::size_t kChunk = 64;

}  // namespace

std::string HexText(std::string_view bytes) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 0x0F];
  }
  return hex;
}

std::string HexBytes(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::strtol(std::string(hex.substr(i, 2)).c_str(), nullptr, 16));
  }
  return bytes;
}

FlashFilePhone::~FlashFilePhone() { m_service.SetPhoneScript(nullptr); }

FlashFilePhone::FlashFilePhone(FakeLinkService& service) : m_service(service) {
  service.SetPhoneScript([this](const std::string& command) {
    std::vector<std::string> frames;
    const std::string reply = Answer(command);
    if (!reply.empty()) frames.push_back(FakeLinkService::ReplyFrame(reply));
    return frames;
  });
}

void FlashFilePhone::SetVersion(std::string version) {
  std::lock_guard lock(m_lock);
  m_version = std::move(version);
}

std::string FlashFilePhone::File(int file, int sub) const {
  std::lock_guard lock(m_lock);
  const auto found = m_files.find({file, sub});
  return found == m_files.end() ? std::string() : found->second;
}

bool FlashFilePhone::Exists(int file, int sub) const {
  std::lock_guard lock(m_lock);
  return m_files.contains({file, sub});
}

void FlashFilePhone::SetFile(int file, int sub, std::string bytes) {
  std::lock_guard lock(m_lock);
  m_files[{file, sub}] = std::move(bytes);
}

std::vector<std::string> FlashFilePhone::Commands() const {
  std::lock_guard lock(m_lock);
  return m_commands;
}

std::vector<std::string> FlashFilePhone::Commands(const std::string& name) const {
  std::lock_guard lock(m_lock);
  std::vector<std::string> found;
  for (const std::string& command : m_commands) {
    if (NameOf(command) == name) found.push_back(command);
  }
  return found;
}

void FlashFilePhone::ClearCommands() {
  std::lock_guard lock(m_lock);
  m_commands.clear();
}

void FlashFilePhone::SetAnswer(const std::string& name, std::optional<std::string> reply) {
  std::lock_guard lock(m_lock);
  if (reply) {
    m_answers[name] = *reply;
  } else {
    m_answers.erase(name);
  }
}

std::string FlashFilePhone::Answer(const std::string& command) {
  std::lock_guard lock(m_lock);
  m_commands.push_back(command);
  const std::string name = NameOf(command);
  const std::vector<std::string> args = Arguments(command);
  if (const auto own = m_answers.find(name); own != m_answers.end()) return own->second;
  auto number = [&](std::size_t i) { return i < args.size() ? std::atoi(args[i].c_str()) : -1; };
  if (name == "ShowSwVersion") return "ShowSwVersion:RET:" + m_version;
  if (name == "ScheduleInit") return "ScheduleInit:RET:1";
  if (name == "SetFunctionTest") return "SetFunctionTest:DONE";
  if (name == "GetPBRecordCount") {
    int count = 0;
    for (const auto& [file, bytes] : m_files) count += file.first == 256 && !bytes.empty();
    return "GetPBRecordCount:RET:" + std::to_string(count);
  }
  if (name == "FFSRead") {
    m_reading = {number(0), number(1)};
    const auto found = m_files.find(m_reading);
    return "FFSRead:RET:" + std::to_string(found == m_files.end() ? 0 : found->second.size());
  }
  if (name == "ShowBufferDump") {
    const std::string& bytes = m_files[m_reading];
    const std::size_t at = static_cast<std::size_t>(number(0)) * kChunk;
    if (at >= bytes.size()) return "ShowBufferDump:ERROR:3";
    return "ShowBufferDump:RET:" + HexText(std::string_view(bytes).substr(at, kChunk));
  }
  if (name == "InitFFSWrite") {
    m_writing = {number(0), number(1)};
    m_writeSize = static_cast<std::size_t>(number(2));
    m_written.clear();
    if (m_writeSize == 0) m_files[m_writing].clear();
    return "InitFFSWrite:RET:1";
  }
  if (name == "SetBufferDump") {
    m_written += HexBytes(args.empty() ? "" : args[0]);
    if (m_written.size() < m_writeSize) return "SetBufferDump:RET:0";
    m_files[m_writing] = m_written;
    return "SetBufferDump:RET:1";
  }
  if (name == "FFSErase") {
    m_files.erase({number(0), number(1)});
    return "FFSErase:RET:1";
  }
  return name + ":ERROR:1";
}
