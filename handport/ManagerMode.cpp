// Bringing the phone into its command mode and out of it again, and its lock state.
#include <handport/Manager.h>
#include <handport/PhoneErrors.h>

#include "Library.h"
#include "ManagerSettings.h"

#include <base/LastError.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace {

constexpr int kVersionSize = 32;  // the version text is held in 32 bytes, its NUL included
constexpr int kVariantSize = 3;   // the variant: the version's first three characters
constexpr int kReleaseOffset = 4;  // the release: four characters from the version's fifth
constexpr int kReleaseSize = 4;

// The model codes a phone that refused "PowerOff" is offered, until one is accepted.
constexpr const char* kPowerOffModelCodes[] = {"10129", "00129", "00126", "00135", "00130"};

// The ways "ResetSupport" ends a connection; any other value switches the phone off.
enum ResetSupport : DWORD { RESET_WATCHDOG = 1, RESET_EXIT = 2, RESET_NONE = 3 };

// Case-insensitive comparison of at most `count` characters of each text from the given
// positions, where a text that ends first is the lower: never reads past either text.
int CompareNoCase(std::string_view a, std::size_t aFrom, std::string_view b, std::size_t bFrom, std::size_t count) {
  a = aFrom < a.size() ? a.substr(aFrom, count) : std::string_view();
  b = bFrom < b.size() ? b.substr(bFrom, count) : std::string_view();
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    const int x = std::tolower(static_cast<unsigned char>(a[i]));
    const int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x - y;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

}  // namespace

PA_MS_RESULT CManager::TestModeOn(char* code) {
  if (!code) return PA_MS_OTHER_MODEL;
  CLinkEngine& engine = TheLinkEngine();
  const int timeout = static_cast<int>(LibrarySettings().commsTimeOut);
  if (!engine.WakePhone(timeout)) return PA_MS_LINK_DOWN;
  if (engine.UsePteCommand(code)) return PA_MS_OK;
  // The phone's own refusal is final.
  if (GetLastError() == ERROR_PA_NOT_SUPPORTED) return PA_MS_PHONE_NOT_SUPPORTED;
  if (GetLastError() == ERROR_PA_OTHER_MODEL) return PA_MS_OTHER_MODEL;
  // Anything else may be a phone that was not listening yet: once more on a fresh connection.
  engine.Disconnect();
  if (!engine.WakePhone(timeout)) return PA_MS_LINK_DOWN;
  if (engine.UsePteCommand(code)) return PA_MS_OK;
  return GetLastError() == ERROR_PA_NOT_SUPPORTED ? PA_MS_PHONE_NOT_SUPPORTED : PA_MS_OTHER_MODEL;
}

PA_MS_RESULT CManager::TestModeOn() {
  const CLibrarySettings& settings = LibrarySettings();
  const auto variant = FindBuildVariant(settings.build);
  if (!variant) return PA_MS_OTHER_MODEL;
  char code[8] = {};
  std::copy_n(variant->modelCode, std::min<std::size_t>(std::strlen(variant->modelCode), sizeof code - 1), code);
  if (const PA_MS_RESULT result = TestModeOn(code); result != PA_MS_OK) return result;

  CLinkEngine& engine = TheLinkEngine();
  CString reported;
  if (!engine.ShowSwVersion(reported)) return PA_MS_LINK_DOWN;
  // The version is kept in its 32 bytes: a longer text is cut there.
  const std::string_view whole(static_cast<const char*>(reported), static_cast<std::size_t>(reported.GetLength()));
  const std::string_view version = whole.substr(0, kVersionSize - 1);
  const std::string_view build(static_cast<const char*>(settings.build), static_cast<std::size_t>(settings.build.GetLength()));

  const std::size_t match = build.find(version.substr(0, kVariantSize));
  if (match == std::string_view::npos) {
    SetLastError(engine.HelloText().IsEmpty() ? ERROR_PA_NOT_SUPPORTED : ERROR_PA_OTHER_MODEL);
    return PA_MS_PHONE_NOT_SUPPORTED;
  }
  if (CompareNoCase(version, kReleaseOffset, build, match + kReleaseOffset, kReleaseSize) < 0) {
    SetLastError(ERROR_PA_NOT_SUPPORTED);
    return PA_MS_PHONE_NOT_SUPPORTED;
  }
  if (settings.resetSupport == RESET_NONE) return PA_MS_OK;
  if (!engine.BackLightOff() || !engine.TestModeOn() || !engine.PowerSavingOff()) return PA_MS_LINK_DOWN;
  return PA_MS_OK;
}

PA_MS_RESULT CManager::CheckLockInfo() {
  LockState state = LOCK_NOT_REPORTED;
  if (TheLinkEngine().ShowLockInfo(state)) return PA_MS_OK;
  switch (state) {
    case LOCK_NO_SIM: return PA_MS_NO_SIM;
    case LOCK_PHONE: return PA_MS_PHONE_LOCKED;
    case LOCK_DAYBOOK: return PA_MS_DAYBOOK_LOCKED;
    default: return PA_MS_LOCK_UNKNOWN;
  }
}

void CManager::PowerOff() {
  CLinkEngine& engine = TheLinkEngine();
  switch (LibrarySettings().resetSupport) {
    case RESET_WATCHDOG: engine.ForceHWWD(); return;
    case RESET_EXIT: engine.Exit(); return;
    case RESET_NONE: return;
    default: break;
  }
  if (engine.PowerOff()) return;
  // A phone that has left the command set takes "PowerOff" again once it has one.
  for (const char* code : kPowerOffModelCodes) {
    if (engine.UsePteCommand(code)) {
      engine.PowerOff();
      return;
    }
  }
}
