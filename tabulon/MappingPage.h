#pragma once
// The import's mapping page: the CSV file's columns on the left, the caller's fields with the column
// that fills each on the right. Its rules are tabulon::CMappingModel; the page mirrors the model in
// the two lists and the buttons' states.
#include "TabulonPage.h"
#include "WizardModels.h"

class CMappingPage : public CTabulonPage {
public:
  explicit CMappingPage(int fieldCount) : CTabulonPage(IDD_MAPPING), m_model(fieldCount) {}

  const tabulon::CMappingModel& Model() const { return m_model; }

  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  LRESULT OnWizardNext() override;
  const AFX_MSGMAP* GetMessageMap() const override;

private:
  void Refresh();
  void OnFieldChanged(NMHDR* header, LRESULT* result);
  void OnColumnChanged(NMHDR* header, LRESULT* result);
  void OnColumnDraw(NMHDR* header, LRESULT* result);
  void OnMap();
  void OnUnmap();
  void OnUp();
  void OnDown();
  void OnDefault();
  void OnErase();

  tabulon::CMappingModel m_model;
  CBitmapButton m_up;
  CBitmapButton m_down;
  bool m_refreshing = false;
};
