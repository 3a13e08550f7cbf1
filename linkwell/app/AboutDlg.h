#pragma once
// The About dialog: the suite's programs found beside the link service, each with its icon,
// description and version, and the highest build number among them in the caption.
#include "SuitePrograms.h"

#include <TitleButtonBar.h>

#include <framework/Afx.h>
#include <framework/Controls.h>

#include <memory>
#include <vector>

class CLinkwellAboutDlg : public CDialog {
 public:
  // `folder`: where the programs are looked for ("." for the program's own current folder).
  explicit CLinkwellAboutDlg(std::string folder = ".", CWnd* parent = nullptr);

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // The caption's close button; a press cancels the dialog.
  static constexpr UINT kCloseButton = 1;
  CTitleButtonBar& CaptionButtons() { return m_buttons; }

  struct Row {
    std::string description;
    std::string version;
  };
  const std::vector<Row>& Rows() const { return m_rowTexts; }
  int HighestBuild() const { return m_highestBuild; }

  // The highest decimal PrivateBuild of `programs` (0 without one); a value that is not a number
  // counts as 0.
  static int HighestBuildOf(const std::vector<SuiteProgram>& programs);

 private:
  void AddRow(const SuiteProgram& program);
  LRESULT OnCaptionButton(WPARAM id, LPARAM);

  // The launcher's caption-button bar, with one close button.
  CTitleButtonBar m_buttons;
  std::string m_folder;
  std::vector<std::unique_ptr<CStatic>> m_rows;
  std::vector<Row> m_rowTexts;
  CFont m_font;
  int m_nextY = 10;
  int m_iconSize = 16;
  int m_highestBuild = 0;
};
