#pragma once
// The About dialog: one row per file of the suite in the launcher's folder (icon, description,
// version), whatever program it is, and the highest PrivateBuild among them in the title. A close
// button in the caption cancels it.
#include "TitleButtonBar.h"

#include <framework/Afx.h>
#include <framework/Controls.h>
#include <gdi/Unique.h>

#include <memory>
#include <string>
#include <vector>

class CAboutDlg : public CDialog {
public:
  explicit CAboutDlg(CWnd* parent = nullptr, LPCSTR folder = ".");
  ~CAboutDlg() override;

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // The caption's close button; a press cancels the dialog.
  static constexpr UINT kCloseButton = 1;
  CTitleButtonBar& CaptionButtons() { return m_buttons; }

  void SetSmallIcons(bool small) { m_smallIcons = small; }
  int RowCount() const { return static_cast<int>(m_rows.size()); }
  int HighestPrivateBuild() const { return m_privateBuild; }
  // The texts of row `index`: description and version.
  std::string RowDescription(int index) const;
  std::string RowVersion(int index) const;

protected:
  LRESULT OnCaptionButton(WPARAM wParam, LPARAM);

private:
  struct Row {
    std::unique_ptr<CStatic> icon;
    std::unique_ptr<CStatic> description;
    std::unique_ptr<CStatic> version;
    HICON iconHandle = nullptr;
  };
  void AddRow(LPCSTR path, const std::string& description, const std::string& version);

  std::string m_folder;
  CTitleButtonBar m_buttons;
  tolvar::gdi::UniqueFont m_font;
  std::vector<Row> m_rows;
  int m_height = 0;
  int m_privateBuild = 0;
  bool m_smallIcons = false;
};
