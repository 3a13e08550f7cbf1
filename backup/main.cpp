// Backup's start: the application object and the class library's entry.
#include "BackupApp.h"

namespace {
CBackupApp theApp;
}

int main() { return AfxWinMain(); }
