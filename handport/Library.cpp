// The library's process-wide objects, built when the library is loaded and destroyed, in the
// reverse order, when it is unloaded.
#include "Library.h"

namespace {

struct CLibraryObjects {
  // The link engine comes first: its construction starts the link service.
  static CLinkEngine StartedEngine() {
    CLinkEngine::StartLinkService();
    return CLinkEngine();
  }

  CLinkEngine engine = StartedEngine();
  CSideStore privateStore{engine};
  CSideStore msStore{engine};
  CResourceTypeTable resourceTypes;
};

CLibraryObjects g_objects;
CLibrarySettings g_settings;

}  // namespace

CLinkEngine& TheLinkEngine() { return g_objects.engine; }
CSideStore& PrivateStore() { return g_objects.privateStore; }
CSideStore& MSStore() { return g_objects.msStore; }
CResourceTypeTable& ResourceTypes() { return g_objects.resourceTypes; }
CLibrarySettings& LibrarySettings() { return g_settings; }
