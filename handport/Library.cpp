// The library's process-wide objects, built when the library is loaded and destroyed, in the
// reverse order, when it is unloaded.
#include "Library.h"

#include <mutex>

namespace {

struct CLibraryObjects {
  CLinkEngine engine;
  CSideStore privateStore{engine};
  CSideStore msStore{engine};
  CResourceTypeTable resourceTypes;
  // Set by the first manager made after this load: the link service is started once per load.
  std::once_flag linkServiceStarted;
};

CLibraryObjects g_objects;
CLibrarySettings g_settings;

}  // namespace

CLinkEngine& TheLinkEngine() { return g_objects.engine; }
CSideStore& PrivateStore() { return g_objects.privateStore; }
CSideStore& MSStore() { return g_objects.msStore; }
CResourceTypeTable& ResourceTypes() { return g_objects.resourceTypes; }
CLibrarySettings& LibrarySettings() { return g_settings; }

void StartLinkServiceOnce() { std::call_once(g_objects.linkServiceStarted, CLinkEngine::StartLinkService); }
