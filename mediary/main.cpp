// Mediary's start: the application object and the class library's entry.
#include "MediaryApp.h"

namespace {
CMediaryApp theApp;
}

int main() { return AfxWinMain(); }
