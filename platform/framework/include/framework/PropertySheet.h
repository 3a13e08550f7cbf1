#pragma once
// Wizards of the class library: CPropertySheet runs the platform's wizard sheet modally with one
// CPropertyPage object per page, and maps the sheet's notifications to the pages' virtual
// functions.
//
// A page is a dialog from a template of the module whose resources were current when the page
// object was made (a library that switched to its own module state gets its own templates). The
// object is attached to the page's window when the window is made (the first time the page is
// shown) at WM_INITDIALOG, before OnInitDialog loads the controls from the members as a dialog's
// does (DoDataExchange); every later message of the page reaches the object's map.
//
// The sheet's object is attached to the sheet's window for the life of DoModal: a page reaches it
// with GetParent() and sets the buttons, presses one, or adds and removes pages while the wizard
// runs; SetWizardButtons and PressButton may be called from a worker thread too (they are one
// message to the sheet's window).
//
// Moving on saves a page's data (OnKillActive: UpdateData), showing a page again loads it
// (OnSetActive), and Finish saves the last page's data too, so what the user typed on the last
// page is not lost; a value that fails its check keeps the wizard on its page.
#include <controls/Controls.h>
#include <framework/Dialog.h>

#include <vector>

class CPropertySheet;

class CPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CPropertyPage)

public:
  explicit CPropertyPage(UINT templateId, UINT captionId = 0);
  // A Wizard-97 page with a header title and subtitle (string ids; 0 for none).
  CPropertyPage(UINT templateId, UINT captionId, UINT headerTitleId, UINT headerSubTitleId);

  // What the sheet makes the page from; a program may add flags (PSP_HIDEHEADER for a welcome or
  // completion page) before the sheet runs.
  PROPSHEETPAGEA m_psp{};

  // Tells the sheet that the page has (or no longer has) changes to apply.
  void SetModified(BOOL changed = TRUE);
  // Cancel becomes Close: changes made so far cannot be undone.
  void CancelToClose();

  // The page is about to be shown: FALSE skips it. Loads the controls from the members (but for the
  // first time, which OnInitDialog did).
  virtual BOOL OnSetActive();
  // The page is about to be left: FALSE keeps it. Saves the controls into the members.
  virtual BOOL OnKillActive();
  virtual BOOL OnApply();
  virtual void OnReset();
  // Cancel pressed: FALSE refuses.
  virtual BOOL OnQueryCancel();
  // 0 goes to the neighbouring page, -1 stays, a page's template id goes there.
  virtual LRESULT OnWizardBack();
  virtual LRESULT OnWizardNext();
  // FALSE keeps the wizard open. Saves the page's data (OnKillActive).
  virtual BOOL OnWizardFinish();
  // A page does not end anything: the sheet does.
  void OnOK() override;
  void OnCancel() override;

  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
  // Fills m_psp for a run of the sheet; FALSE when the page's template does not exist.
  BOOL PreparePage();
  // The page's dialog procedure: attaches the object at WM_INITDIALOG.
  static INT_PTR PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_nIDTemplate = 0;
  CString m_strCaption;
  CString m_strHeaderTitle;
  CString m_strHeaderSubTitle;
  BOOL m_bFirstSetActive = TRUE;

  friend class CPropertySheet;
};

class CPropertySheet : public CWnd {
  DECLARE_DYNAMIC(CPropertySheet)

public:
  CPropertySheet() = default;
  explicit CPropertySheet(UINT captionId, CWnd* parent = nullptr, UINT selectPage = 0);
  explicit CPropertySheet(LPCSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);
  // A Wizard-97 sheet with its watermark (welcome and completion pages) and header bitmaps; the
  // sheet does not take them over.
  CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage, HBITMAP watermark, HPALETTE palette = nullptr,
                 HBITMAP header = nullptr);
  CPropertySheet(LPCSTR caption, CWnd* parent, UINT selectPage, HBITMAP watermark, HPALETTE palette = nullptr,
                 HBITMAP header = nullptr);

  PROPSHEETHEADERA m_psh{};
  CWnd* m_pParentWnd = nullptr;

  // Only wizards are built: a sheet runs once it is in wizard mode (or made as a Wizard-97 sheet).
  void SetWizardMode();
  // ID_WIZFINISH when the wizard was finished, IDCANCEL when it was cancelled, -1 when it could not
  // be shown (no pages, not a wizard, a page's template missing).
  virtual INT_PTR DoModal();

  // The sheet does not own its pages. Added or removed while the wizard runs, the running sheet
  // gains or loses the page at once.
  void AddPage(CPropertyPage* page);
  void RemovePage(CPropertyPage* page);
  void RemovePage(int index);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* GetPage(int index) const;
  int GetPageIndex(const CPropertyPage* page) const;
  // The page shown (the start page before the wizard runs).
  CPropertyPage* GetActivePage() const;
  int GetActiveIndex() const;
  BOOL SetActivePage(int index);
  BOOL SetActivePage(CPropertyPage* page);

  void SetWizardButtons(DWORD flags) { ::SendMessageA(m_hWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags)); }
  void SetFinishText(LPCSTR text) { ::SendMessageA(m_hWnd, PSM_SETFINISHTEXTA, 0, reinterpret_cast<LPARAM>(text)); }
  // PSBTN_*; the press acts once the caller's message is done.
  void PressButton(int button) { ::SendMessageA(m_hWnd, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0); }
  void SetTitle(LPCSTR title);

protected:
  void CommonConstruct(CWnd* parent, UINT selectPage);
  void PreSubclassWindow() override;

  std::vector<CPropertyPage*> m_pages;
  CString m_strCaption;
  bool m_sheetMade = false;  // the running sheet took over the pages' handles
};
