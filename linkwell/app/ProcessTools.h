#pragma once
// Finding and starting the suite's other programs: the launcher Vezezudara above all, whose window
// the link service restores, closes or forwards the About command to, and which it starts when a
// person asks for the suite.
#include <base/WinDef.h>

#include <string>

// The id of the first running process of this user whose program file name begins with `prefix`
// (ignoring case), or -1. Another user's programs on the machine are no part of this user's suite.
int FindProcessByName(const char* prefix);
// The first top-level window of `processId` with a non-empty title, or null.
HWND FindProcessWindow(DWORD processId);
// Both: the window of the running program named by `prefix`, or null.
HWND FindRunningWindow(const char* prefix);

// Starts `commandLine` (in `currentDirectory`, or the current one) with handle inheritance, a new
// console, normal priority and the show-default start-up state; the process and thread handles
// are closed at once. Gives 0, or the error that made the start fail. The error's text is fetched
// (FormatLastError) and the thread's last error cleared, as the start leaves nothing to show.
DWORD StartProcess(const std::string& commandLine, const char* currentDirectory = nullptr);

// The system's text for the thread's last error; the last error is cleared.
std::string FormatLastError();
// The system's text for `error`, without its line end.
std::string FormatErrorText(DWORD error);

// The launcher's name as its process and its program are known.
constexpr char kLauncherName[] = "Vezezudara";
constexpr char kLauncherProgram[] = "Vezezudara.exe";
