// The main dialog and its pages as the exchange commands use them.
#include "Daybook.h"
#include "DaybookDlg.h"
#include "ExchangeBridges.h"

using namespace daybook;

class CDaybookExchangeHost : public IExchangeHost {
 public:
  explicit CDaybookExchangeHost(CDaybookDlg& dialog) : m_dialog(dialog) {}

  PendingEdits Pending() override { return m_dialog.Pending(); }
  CString Text(UINT id) override { return DaybookText(id); }
  int Message(const CString& text, UINT captionId, UINT type) override {
    return DaybookMessageText(text, captionId, type);
  }
  HWND Owner() override { return m_dialog.m_hWnd; }
  void EnableOwner(bool enable) override { ::EnableWindow(m_dialog.m_hWnd, enable ? TRUE : FALSE); }
  void Repaint() override { ::RedrawWindow(m_dialog.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }
  void LockUpdates(bool lock) override { ::LockWindowUpdate(lock ? m_dialog.m_hWnd : nullptr); }
  // The choice lists are the phone library's cached resource lists, as the pages' combo boxes are.
  std::vector<Melody> Pictures() override { return Resources(0); }
  std::vector<Melody> Melodies() override { return Resources(1); }
  std::vector<Melody> AlarmMelodies() override { return Resources(1); }
  void ClearContacts() override { m_dialog.Contacts().ClearAll(); }
  void ContactsStored(bool groupsToo) override {
    if (groupsToo) m_dialog.Contacts().RefreshGroups();
    else m_dialog.Contacts().RefillList();
    m_dialog.Contacts().PublishFreeCount();
  }
  void ContactsFull() override { m_dialog.Contacts().EmptyForm(); }
  void ScheduleStored() override {
    m_dialog.Schedule().RefreshList();
    m_dialog.Schedule().ClearEditor();
  }
  void ToDoStored() override { m_dialog.ToDo().RefreshList(); }
  void DocumentModified() override { g_bDocumentModified = TRUE; }
  Page VisiblePage() override {
    if (m_dialog.Contacts().IsWindowVisible()) return Page::Contacts;
    if (m_dialog.Schedule().IsWindowVisible()) return Page::Schedule;
    return Page::ToDo;
  }
  std::vector<int> SelectedSlots() override {
    switch (VisiblePage()) {
      case Page::Contacts: return m_dialog.Contacts().SelectedSlots();
      case Page::Schedule: return m_dialog.Schedule().SelectedSlots();
      case Page::ToDo: return m_dialog.ToDo().SelectedSlots();
    }
    return {};
  }

 private:
  std::vector<Melody> Resources(short type) {
    std::vector<Melody> entries;
    short count = 0;
    if (m_dialog.m_manager.PA_GetNumResourcesList(&count, type) != PA_OK || count <= 0) return entries;
    std::vector<PA_RESOURCE_INFO> records(static_cast<std::size_t>(count));
    if (m_dialog.m_manager.PA_GetResourceList(static_cast<unsigned short>(type), records.data()) != PA_OK) return entries;
    for (const PA_RESOURCE_INFO& r : records) entries.push_back({r.strDisplayName, r.dwFileId});
    return entries;
  }

  CDaybookDlg& m_dialog;
};

void CDaybookDlg::OnExchange(UINT command) {
  CDaybookExchangeHost host(*this);
  CExchangeBridges(m_manager, host).Run(command);
}
