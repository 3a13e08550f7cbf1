#pragma once
// The library as an application meets it, for the CManager tests: "Handport.dll" loaded by name,
// StartManager and DestroyManager taken by name, and the settings written where the manager reads
// them.
//
// The first manager made after the library was loaded starts "Linkwell.exe Test", in the home the
// process has then. A test must never get a link service of its own that way: it would listen on
// port 4000, which tests running in parallel share, and would search the serial ports for the
// phone the test's own service is talking to. So a test makes its managers in a QuietLinkHome: a
// home of its own (TOLVAR_HOME, which also scopes the named objects) whose library is pointed at
// the test's own link service (or at none) with the test-only TOLVAR_LINK_PORT, which keeps the
// library from starting a service at all. The home also holds the link service's instance mutex
// "LinkwellApp", so that anything else that starts the service there with "Test" meets a second
// instance and ends silently, exactly as beside a running one.
#include <handport/Manager.h>

#include <base/WinDef.h>

#include <string>

class QuietLinkHome {
 public:
  // `home` empty: a new temporary folder, removed at the end.
  explicit QuietLinkHome(std::string home = {});
  ~QuietLinkHome();
  QuietLinkHome(const QuietLinkHome&) = delete;
  QuietLinkHome& operator=(const QuietLinkHome&) = delete;

  const std::string& Path() const { return m_home; }
  // The library connects to this port of the loopback; 0 for a port where nothing listens.
  static void PointLibraryAt(unsigned short port);

 private:
  std::string m_home;
  bool m_ownsHome = false;
  HANDLE m_instanceMutex = nullptr;
};

// The values of "Software\Halvane\Tolvar\Settings" of the current home.
void WriteSetting(const char* name, DWORD value);
void WriteSetting(const char* name, const std::string& text);
void DeleteSetting(const char* name);

class ManagerLibrary {
 public:
  ManagerLibrary() = default;
  ~ManagerLibrary() { Unload(); }
  ManagerLibrary(const ManagerLibrary&) = delete;
  ManagerLibrary& operator=(const ManagerLibrary&) = delete;

  // Loads the library and takes its two functions; false when either is missing.
  bool Load();
  // A new manager (the settings are read now); the one made before is destroyed first. Make it
  // inside a QuietLinkHome: the first one starts the link service.
  CManager* Start();
  CManager* operator->() const { return m_manager; }
  CManager* Manager() const { return m_manager; }
  bool Destroy(CManager* manager) const { return m_destroy(manager); }
  // Destroys the manager and unloads the library, which ends its link.
  void Unload();

 private:
  HMODULE m_module = nullptr;
  PFN_START_MANAGER m_start = nullptr;
  PFN_DESTROY_MANAGER m_destroy = nullptr;
  CManager* m_manager = nullptr;
};
