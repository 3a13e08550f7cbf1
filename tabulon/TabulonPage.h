#pragma once
// What the wizard's pages share: their texts (by string id), their colours, the headings' font, and
// the quit question that Cancel asks.
#include "TabulonRes.h"

#include <framework/Afx.h>
#include <framework/Controls.h>
#include <framework/PropertySheet.h>

#include <string>

class CWizardSheet;

// The text of a string id: from the string-table library the calling program has bound (Tabulon
// borrows that binding and never binds or closes it itself), else from Tabulon's own table.
CString TabulonText(UINT id);
std::string TabulonString(UINT id);

class CTabulonPage : public CPropertyPage {
public:
  explicit CTabulonPage(UINT templateId, bool whiteControls = false)
      : CPropertyPage(templateId), m_whiteControls(whiteControls) {}

  // The sheet that holds the page (set by the sheet; also valid on the run's worker thread, where
  // window handles do not map to the UI thread's objects).
  CWizardSheet& Sheet() const { return *m_sheet; }
  void SetSheet(CWizardSheet* sheet) { m_sheet = sheet; }

  // Cancel: "Are you sure you want to quit?" with Yes and No.
  BOOL OnQueryCancel() override;

  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  // The suite's message box, owned by the sheet; its caption is the sheet's.
  int Ask(const CString& text, UINT type) const;
  void SetText(int id, UINT stringId);
  // The bold headings.
  void SetHeadingFont(int id);

private:
  LRESULT OnCtlColor(WPARAM wParam, LPARAM lParam);
  LRESULT OnCtlColorField(WPARAM wParam, LPARAM lParam);  // edits and lists
  CWizardSheet* m_sheet = nullptr;
  bool m_whiteControls;
  CFont m_headingFont;
};
