#include "support/ManagerHarness.h"

#include <kernel/Module.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <registry/WinReg.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";
// Nothing listens on port 1 of the loopback: a connection there is refused at once.
constexpr unsigned short kNoService = 1;

HKEY OpenSettings() {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

}  // namespace

QuietLinkHome::QuietLinkHome(std::string home) : m_home(std::move(home)) {
  if (m_home.empty()) {
    m_home = (std::filesystem::temp_directory_path() / ("handport-manager-" + std::to_string(std::random_device{}())))
                 .string();
    std::filesystem::create_directories(m_home);
    m_ownsHome = true;
  }
  setenv("TOLVAR_HOME", m_home.c_str(), 1);
  m_instanceMutex = CreateMutexA(nullptr, FALSE, "LinkwellApp");
  PointLibraryAt(0);
}

QuietLinkHome::~QuietLinkHome() {
  if (m_instanceMutex) CloseHandle(m_instanceMutex);
  unsetenv("TOLVAR_LINK_PORT");
  if (m_ownsHome) {
    std::error_code ignored;
    std::filesystem::remove_all(m_home, ignored);
  }
}

void QuietLinkHome::PointLibraryAt(unsigned short port) {
  setenv("TOLVAR_LINK_PORT", std::to_string(port == 0 ? kNoService : port).c_str(), 1);
}

void WriteSetting(const char* name, DWORD value) {
  HKEY key = OpenSettings();
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

void WriteSetting(const char* name, const std::string& text) {
  HKEY key = OpenSettings();
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

void DeleteSetting(const char* name) {
  HKEY key = OpenSettings();
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

bool ManagerLibrary::Load() {
  m_module = LoadLibraryA("Handport.dll");
  if (!m_module) return false;
  m_start = reinterpret_cast<PFN_START_MANAGER>(reinterpret_cast<void (*)()>(GetProcAddress(m_module, "StartManager")));
  m_destroy = reinterpret_cast<PFN_DESTROY_MANAGER>(reinterpret_cast<void (*)()>(GetProcAddress(m_module, "DestroyManager")));
  return m_start && m_destroy;
}

CManager* ManagerLibrary::Start() {
  if (m_manager) m_destroy(m_manager);
  m_manager = nullptr;
  CManager* returned = m_start(&m_manager);
  return returned == m_manager ? m_manager : nullptr;
}

void ManagerLibrary::Unload() {
  if (m_manager) m_destroy(m_manager);
  m_manager = nullptr;
  if (m_module) FreeLibrary(m_module);
  m_module = nullptr;
}
