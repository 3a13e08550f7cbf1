// The Linkwell program: its one application object and the string files it reads its texts from.
#include "LinkwellApp.h"

#include <StringLoader.h>

namespace {
CStringLoader g_strings("Linkwell");
CLinkwellApp g_app;
}  // namespace

int main() { return AfxWinMain(); }
