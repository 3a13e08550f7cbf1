// The launcher program: its one application object, the string files it reads its texts from, and
// the class library's start.
#include "Vezezudara.h"

#include <StringLoader.h>

namespace {
CStringLoader g_strings("Vezezudara");
CVezezudaraApp theApp;
}  // namespace

int main() { return AfxWinMain(); }
