#pragma once
// The first page: the CSV file (a drop-down of the remembered files and Browse), the separator and
// the header-line option. Its rules are tabulon::CConfigChoice; the page moves values between it
// and the controls.
#include "TabulonPage.h"
#include "WizardModels.h"

class CConfigPage : public CTabulonPage {
public:
  CConfigPage() : CTabulonPage(IDD_CONFIG) {}

  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  LRESULT OnWizardNext() override;
  const AFX_MSGMAP* GetMessageMap() const override;

private:
  tabulon::CConfigChoice ReadControls() const;
  void ShowSlot(int slot);
  void UpdateNext();
  void OnSeparatorClicked(UINT id);
  void OnFileChosen();
  void OnBrowse();
  void OnOtherChanged();
  bool m_settingOther = false;
};
