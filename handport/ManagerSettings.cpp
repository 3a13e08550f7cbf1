// The settings of the library, read when a manager is made.
#include "ManagerSettings.h"

#include "Library.h"

#include <registry/RegistryKey.h>

#include <algorithm>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";
constexpr char kDefaultModelCode[] = "00126";
constexpr int kBuildSize = 128;  // bytes of "Build" taken, at most

constexpr BuildVariant kBuildVariants[] = {
    {'Y', "00126", false, 2, CLinkEngine::kDefaultChunkSize, CLinkEngine::kDefaultChunkSize},
    {'Z', "00129", true, 3, 480, 1024},
    {'U', "10129", true, 3, 480, 1024},
    {'C', "00135", false, 2, CLinkEngine::kDefaultChunkSize, CLinkEngine::kDefaultChunkSize},
    {'M', "00130", false, 2, CLinkEngine::kDefaultChunkSize, CLinkEngine::kDefaultChunkSize},
};

// The tests run a link service of their own on a free port and name it here; the library then
// connects there instead of port 4000 and starts no link service. Nothing sets it outside the tests.
constexpr char kTestLinkPortVariable[] = "TOLVAR_LINK_PORT";

class SettingsKey {
 public:
  SettingsKey() { m_key.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS); }

  // Takes the value into `value` only when it reads as a 32-bit value.
  bool ReadNumber(const char* name, DWORD& value) const { return m_key.QueryDword(name, value) == ERROR_SUCCESS; }

  // The text up to its first NUL, of which at most `limit` bytes are taken.
  void ReadText(const char* name, int limit, CString& value) const {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    if (m_key.QueryValue(name, type, bytes) != ERROR_SUCCESS || type != REG_SZ) return;
    const std::size_t taken = std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(std::max(limit, 0)));
    const auto end = std::find(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken), BYTE{0});
    value = std::string(bytes.begin(), end).c_str();
  }

 private:
  tolvar::registry::RegistryKey m_key;
};

}  // namespace

std::optional<u_short> TestLinkPort() {
  const char* text = std::getenv(kTestLinkPortVariable);
  if (!text) return std::nullopt;
  const std::string_view digits(text);
  unsigned port = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (error != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 0xFFFF) return std::nullopt;
  return static_cast<u_short>(port);
}

std::optional<BuildVariant> FindBuildVariant(const CString& build) {
  if (build.IsEmpty()) return std::nullopt;
  for (const BuildVariant& variant : kBuildVariants) {
    if (build[0] == variant.letter) return variant;
  }
  return std::nullopt;
}

void LoadManagerSettings() {
  CLinkEngine& engine = TheLinkEngine();
  CLibrarySettings& settings = LibrarySettings();
  engine.SetModelCode(kDefaultModelCode);
  settings = CLibrarySettings();

  const SettingsKey key;
  if (DWORD drainTime = 0; key.ReadNumber("InitTimeOut", drainTime)) engine.SetWakeUpDrainTime(static_cast<int>(drainTime));
  key.ReadNumber("EuropeanSupport", settings.europeanSupport);
  key.ReadNumber("ResetSupport", settings.resetSupport);
  key.ReadNumber("CommsTimeOut", settings.commsTimeOut);
  key.ReadText("Build", kBuildSize, settings.build);

  if (const auto variant = FindBuildVariant(settings.build)) {
    engine.SetModelCode(variant->modelCode);
    settings.mainFolderCount = variant->mainFolders;
    settings.buildKnown = true;
    // Once chosen, the extended layouts stay for the library's life.
    if (variant->extended) {
      PrivateStore().UseExtendedLayouts();
      MSStore().UseExtendedLayouts();
    }
    engine.SetChunkSizes(variant->uploadChunk, engine.TransferChunkSize(), variant->downloadChunk);
  }
  engine.SetProgressCallback(nullptr, nullptr);
  ResourceTypes().Fill();
  if (const auto port = TestLinkPort()) engine.SetServiceAddress({"127.0.0.1", *port});
}
