#pragma once
// Scripted answers for CInterlex: the files the open dialog "chooses", the folder the picker gives,
// and the buttons pressed at each message, with a record of what was shown.
#include "ExchangeUi.h"

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
  std::string text;
  std::string caption;
  UINT type = 0;
};

class CScriptedUi : public IExchangeUi {
public:
  bool ChooseFiles(HWND, LPCSTR defaultExtension, LPCSTR filter, std::vector<CString>& paths) override {
    lastExtension = defaultExtension;
    lastFilter = filter;
    ++fileDialogs;
    if (cancelFiles) return false;
    paths = files;
    return true;
  }
  CString ChooseFolder(HWND) override {
    ++folderDialogs;
    return CString(folder.c_str());
  }
  int Show(HWND, const CString& text, const CString& caption, UINT type) override {
    shown.push_back({std::string(static_cast<LPCSTR>(text)), std::string(static_cast<LPCSTR>(caption)), type});
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<CString> files;
  bool cancelFiles = false;
  std::string folder;
  std::deque<int> answers;
  std::vector<ShownMessage> shown;
  std::string lastExtension, lastFilter;
  int fileDialogs = 0, folderDialogs = 0;
};
