#include "PhoneState.h"

#include <fstream>
#include <system_error>

namespace phonesim {

namespace {

constexpr const char* kStateFile = "phone.ini";
constexpr const char* kJournalFile = "journal.log";

struct StoredPhone {
  std::string model;
  std::string version;
};

StoredPhone ReadStored(const std::filesystem::path& file) {
  StoredPhone stored;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key == "model") stored.model = value;
    if (key == "version") stored.version = value;
  }
  return stored;
}

}  // namespace

PhoneState::PhoneState(std::filesystem::path folder, ModelRow model, std::string swVersion)
    : m_folder(std::move(folder)), m_model(model), m_swVersion(std::move(swVersion)) {}

std::unique_ptr<PhoneState> PhoneState::Open(const std::filesystem::path& folder, std::optional<ModelRow> model,
                                             std::optional<std::string> swVersion, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = "cannot create the state folder " + folder.string() + ": " + ec.message();
    return nullptr;
  }
  const StoredPhone stored = ReadStored(folder / kStateFile);
  if (!model && !stored.model.empty()) {
    model = FindModel(stored.model);
    if (!model) {
      error = "the state folder names an unknown model: " + stored.model;
      return nullptr;
    }
    // The stored version belongs to the stored model; a new model brings its own.
    if (!swVersion && !stored.version.empty()) swVersion = stored.version;
  }
  if (!model) model = ModelRows().front();
  if (!swVersion) swVersion = std::string(model->swVersion);
  if (swVersion->empty() || swVersion->find_first_of(":\r\n") != std::string::npos) {
    // The version travels as the third ':'-field of a one-line reply.
    error = "a software version must be one line without ':'";
    return nullptr;
  }
  std::unique_ptr<PhoneState> state(new PhoneState(folder, *model, *swVersion));
  if (!state->Save(error)) return nullptr;
  return state;
}

bool PhoneState::Save(std::string& error) const {
  const std::filesystem::path file = m_folder / kStateFile;
  const std::filesystem::path temporary = m_folder / (std::string(kStateFile) + ".new");
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << "model=" << m_model.name << "\nversion=" << m_swVersion << "\n";
    out.flush();
    if (!out) {
      error = "cannot write " + temporary.string();
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, file, ec);
  if (ec) {
    error = "cannot replace " + file.string() + ": " + ec.message();
    return false;
  }
  return true;
}

void PhoneState::StartJournal() const { std::ofstream(m_folder / kJournalFile, std::ios::trunc); }

void PhoneState::Journal(std::string_view command) const {
  std::ofstream out(m_folder / kJournalFile, std::ios::app | std::ios::binary);
  out << command << '\n';
}

std::filesystem::path PhoneState::StoreFolder(std::string_view store) const {
  std::filesystem::path folder = m_folder / store;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

}  // namespace phonesim
