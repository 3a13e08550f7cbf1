// The launcher program: its one application object and the class library's start.
#include "Vezezudara.h"

namespace {
CVezezudaraApp theApp;
}

int main() { return AfxWinMain(); }
