#pragma once
// The program's phone manager as the kit's controls reach it. Every program of the suite makes its
// CManager at start (StartManager of "Handport.dll") and keeps it for its whole life; it hands the
// pointer here once, and the flat edit's text filter (byte lengths in the phone's UTF-8) and the
// list's label editor (the phone's group-name size) ask it. The kit never owns or frees it.
//
// Threads: set before the first dialog runs and read on the user-interface thread.
class CManager;

void SetProgramManager(CManager* manager);
CManager* GetProgramManager();

// What the controls ask, answered without a manager too, so a control in a test or a tool that has
// no phone library still filters sensibly: the text's own bytes (the program's texts are UTF-8)
// and the phone's group-name size.
int ProgramUTF8Length(const char* text);
int ProgramGroupMaxNameSize();
