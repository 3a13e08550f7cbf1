// The Linkwell program: its one application object and the string files it reads its texts from.
#include "LinkwellApp.h"

#include <StringLoader.h>

#include <cstdio>
#include <cstring>

namespace {
CStringLoader g_strings("Linkwell");
CLinkwellApp g_app;
}  // namespace

int main(int argc, char** argv) {
  // Started in the background by the phone-access library ("Test"), the service keeps none of its
  // starter's standard streams, as a windowed program has none: a starter that reads its own output
  // to the end (a test runner listing tests) would otherwise wait for the service to end.
  if (argc == 2 && std::strcmp(argv[1], "Test") == 0) {
    std::freopen("/dev/null", "r", stdin);
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
  }
  return AfxWinMain();
}
