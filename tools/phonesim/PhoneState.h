#pragma once
// What the simulated phone keeps between runs, in its state folder: which model it is and its
// software version, in "phone.ini". The stores that later command families keep (flash files,
// media folders, messages) live in sub-folders of the same folder, each reached through
// StoreFolder() under a name of its own, so a family adds its store without touching the others.
// Beside them, "journal.log" lists the commands of the current command-mode session.
#include "ModelTable.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace phonesim {

class PhoneState {
 public:
  // Opens (creating when missing) the state folder. A model or version given here wins over the
  // one stored and is written back; without either, the stored one is used, else row 1 and its
  // own version. Gives null and a reason when the folder or its file cannot be used.
  static std::unique_ptr<PhoneState> Open(const std::filesystem::path& folder, std::optional<ModelRow> model,
                                          std::optional<std::string> swVersion, std::string& error);

  const ModelRow& Model() const { return m_model; }
  const std::string& SoftwareVersion() const { return m_swVersion; }
  const std::filesystem::path& Folder() const { return m_folder; }

  // The sub-folder that holds one store, created when missing.
  std::filesystem::path StoreFolder(std::string_view store) const;

  // The journal: every command text the phone heard since it was last woken into command mode,
  // one a line in "journal.log", so that a test can see what reached the phone.
  void StartJournal() const;
  void Journal(std::string_view command) const;

 private:
  PhoneState(std::filesystem::path folder, ModelRow model, std::string swVersion);
  bool Save(std::string& error) const;

  std::filesystem::path m_folder;
  ModelRow m_model;
  std::string m_swVersion;
};

}  // namespace phonesim
