// Module states: one per module, made on first use from any address inside it and kept for the
// life of the process (a library's state outlives an unload, as its handle simply stops naming a
// loaded module). The current state is per thread.
#include <framework/ModuleState.h>

#include "ThreadState.h"

#include <gdi/Gdi.h>
#include <kernel/Module.h>
#include <resources/Resource.h>

#include <map>
#include <memory>
#include <mutex>

namespace {

struct States {
  std::mutex lock;
  std::map<HMODULE, std::unique_ptr<AFX_MODULE_STATE>> byModule;
};

States& AllStates() {
  static States states;
  return states;
}

AFX_MODULE_STATE* StateOfModule(HMODULE module) {
  States& states = AllStates();
  std::lock_guard guard(states.lock);
  auto& slot = states.byModule[module];
  if (!slot) slot = std::make_unique<AFX_MODULE_STATE>(module);
  return slot.get();
}

struct DialogColours {
  std::mutex lock;
  HBRUSH brush = nullptr;  // kept for the process, as the dialogs painting with it may live to the end
  COLORREF text = 0;
};

DialogColours& Colours() {
  static DialogColours colours;
  return colours;
}

}  // namespace

AFX_MODULE_STATE::AFX_MODULE_STATE(HMODULE module)
    : m_hCurrentInstanceHandle(module), m_hCurrentResourceHandle(module) {}

AFX_MODULE_STATE* AfxGetAppModuleState() { return StateOfModule(GetModuleHandleA(nullptr)); }

AFX_MODULE_STATE* AfxGetModuleState() {
  AFX_MODULE_STATE* state = tolvar::framework::Thread().moduleState;
  return state ? state : AfxGetAppModuleState();
}

AFX_MODULE_STATE* AfxModuleStateOf(const void* address) {
  HMODULE module = tolvar::kernel::ModuleFromAddress(address);
  return StateOfModule(module ? module : GetModuleHandleA(nullptr));
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state) {
  AFX_MODULE_STATE* previous = AfxGetModuleState();
  tolvar::framework::Thread().moduleState = state;
  return previous;
}

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE resources) { AfxGetModuleState()->m_hCurrentResourceHandle = resources; }
HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }

HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type) {
  HINSTANCE current = AfxGetResourceHandle();
  if (FindResourceA(current, name, type)) return current;
  HINSTANCE program = AfxGetAppModuleState()->m_hCurrentResourceHandle;
  if (FindResourceA(program, name, type)) return program;
  return current;
}

HBRUSH AfxGetDialogBkBrush() {
  DialogColours& colours = Colours();
  std::lock_guard guard(colours.lock);
  return colours.brush;
}

COLORREF AfxGetDialogTextColor() {
  DialogColours& colours = Colours();
  std::lock_guard guard(colours.lock);
  return colours.text;
}

void AfxSetDialogBkColor(COLORREF background, COLORREF text) {
  DialogColours& colours = Colours();
  std::lock_guard guard(colours.lock);
  HBRUSH old = colours.brush;
  colours.brush = CreateSolidBrush(background);
  colours.text = text;
  if (old) DeleteObject(old);
}
