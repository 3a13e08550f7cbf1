// Compiled into every program and library that links the controls: one reference to the library, kept
// even when nothing else of it is named (a program whose dialogs come only from templates), so the
// library is loaded and registers the controls' classes at start-up.
extern "C" void TolvarLinkControls();

namespace {
[[gnu::used]] void (*const g_linkControls)() = &TolvarLinkControls;
}
