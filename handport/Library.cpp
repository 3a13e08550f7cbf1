// The library's process-wide objects, built when the library is loaded and destroyed, in the
// reverse order, when it is unloaded.
#include "LinkEngine.h"

namespace {

// The link engine comes first: its construction starts the link service.
CLinkEngine& BuildLinkEngine() {
  static CLinkEngine engine = [] {
    CLinkEngine::StartLinkService();
    return CLinkEngine();
  }();
  return engine;
}

CLinkEngine& g_linkEngine = BuildLinkEngine();

}  // namespace

CLinkEngine& TheLinkEngine() { return g_linkEngine; }
