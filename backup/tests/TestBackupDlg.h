#pragma once
// Backup's dialog with a phone in memory, its message boxes and file dialogs answered by the test.
#include "BackupDlg.h"
#include "FakePhone.h"

#include <functional>
#include <string>
#include <vector>

namespace {

class CTestBackupDlg : public CBackupDlg {
 public:
  explicit CTestBackupDlg(const char* build) : CBackupDlg(nullptr, BackupVariant::FromBuild(build)) {}

  std::vector<std::string> messages;
  std::vector<int> answers;  // what the message boxes answer, in turn (then IDOK)
  std::string nextFile;  // what the file dialogs answer
  int fileDialogs = 0;
  FakePhone* phone = nullptr;  // the phone of the last run
  std::function<void(FakePhone&)> fill = [](FakePhone& p) { Fill(p); };

 protected:
  int ShowMessage(const CString& text, UINT) override {
    messages.emplace_back(static_cast<LPCSTR>(text));
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::unique_ptr<IBackupPhone> MakePhone() override {
    auto made = std::make_unique<FakePhone>();
    fill(*made);
    phone = made.get();
    return made;
  }
  CString ChooseFile(bool) override {
    ++fileDialogs;
    return CString(nextFile.c_str());
  }
};

}  // namespace
