#pragma once
// A scripted phone for the record stores' tests: an in-memory flash file system that answers the
// flash-file commands as the phone does, its software version, its contact count and the
// schedule restart. Tests look at and seed its files, and can have it answer one command their
// own way.
#include "support/FakeLinkService.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class FlashFilePhone {
 public:
  using FileName = std::pair<int, int>;

  // Serves the phone behind `service`.
  explicit FlashFilePhone(FakeLinkService& service);
  // Stops serving first: the service's thread may be answering a command as the phone goes.
  ~FlashFilePhone();
  FlashFilePhone(const FlashFilePhone&) = delete;
  FlashFilePhone& operator=(const FlashFilePhone&) = delete;

  void SetVersion(std::string version);
  // The bytes of a file; empty when it does not exist.
  std::string File(int file, int sub) const;
  void SetFile(int file, int sub, std::string bytes);
  bool Exists(int file, int sub) const;
  // Every command text received, in order.
  std::vector<std::string> Commands() const;
  void ClearCommands();
  // The commands of one name received ("FFSRead,99,3" counts as "FFSRead").
  std::vector<std::string> Commands(const std::string& name) const;
  // An answer of the test's own for each command of that name; none: the phone's answer.
  void SetAnswer(const std::string& name, std::optional<std::string> reply);

 private:
  std::string Answer(const std::string& command);

  FakeLinkService& m_service;
  mutable std::mutex m_lock;
  std::string m_version = "YAA_0412";
  std::map<FileName, std::string> m_files;
  std::map<std::string, std::string> m_answers;
  std::vector<std::string> m_commands;
  FileName m_reading{-1, -1};
  FileName m_writing{-1, -1};
  std::size_t m_writeSize = 0;
  std::string m_written;
};

// Hex text of bytes, and bytes of hex text.
std::string HexText(std::string_view bytes);
std::string HexBytes(std::string_view hex);
