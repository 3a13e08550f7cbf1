#pragma once
// CSkinMonthCalCtrl: the schedule page's month calendar, painted without flicker through an
// off-screen bitmap over white, with a font of its own.
//
// Threads: the user-interface thread that owns the window.
#include <framework/Afx.h>
#include <framework/DateTimeCtrl.h>

#include <memory>

class CSkinMonthCalCtrl : public CMonthCalCtrl {
  DECLARE_DYNAMIC(CSkinMonthCalCtrl)

public:
  CSkinMonthCalCtrl();
  ~CSkinMonthCalCtrl() override;

  // A font of its own: the face (cut to 31 characters), height, weight 700 when bold, italic; nothing
  // taken over from the control's current font. The font set before is freed once the control uses
  // the new one.
  void SetFont(LPCSTR face, int height, BOOL bold, BOOL italic);

  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  LRESULT OnPaint(WPARAM, LPARAM);

private:
  std::unique_ptr<CFont> m_font;
};
