#pragma once
// The link service's message box: every message the service shows (socket errors, a failed
// search, the phone setup's results, "Please close Dravik.") goes through it. A plain modal dialog
// of the program's own (resource 166) with up to three buttons, an optional system icon and the
// message in "Verdana" 14, sized to the text.
#include <SkinButton.h>
#include <framework/Afx.h>

#include <string>

class CLinkMessageBox : public CDialog {
 public:
  CLinkMessageBox(std::string text, std::string caption, UINT type, CWnd* parent = nullptr);

  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  // The button placement: x of button `index` (from 1) of `count` buttons `width` wide in a client
  // area `clientWidth` wide.
  static int ButtonX(int index, int count, int width, int clientWidth);

 private:
  std::string m_text;
  std::string m_caption;
  UINT m_type;
  int m_results[3] = {};
  CFont m_messageFont;
  // The kit's look (colours and "Verdana" 13 bold), without its flat focus.
  CSkinButton m_buttons[3];
};

// Shows the message box modally; the result of the button pressed (IDOK... IDNO).
int ShowLinkMessage(const std::string& text, const std::string& caption, UINT type);
