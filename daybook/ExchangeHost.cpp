// The main dialog and its pages as the exchange commands use them.
#include "Daybook.h"
#include "DaybookDlg.h"
#include "ExchangeBridges.h"
#include "Transfers.h"

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
  // The choice lists are the phone library's cached resource lists, named as a download gives them
  // to the pages (without their folder): a vCalendar alarm finds its sound by that name.
  std::vector<Melody> Pictures() override { return Choices().first; }
  std::vector<Melody> Melodies() override { return Choices().second; }
  std::vector<Melody> AlarmMelodies() override { return Choices().second; }
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
  std::pair<std::vector<Melody>, std::vector<Melody>> Choices() {
    const auto list = [this](short type) {
      std::vector<PA_RESOURCE_INFO> records;
      short count = 0;
      if (m_dialog.m_manager.PA_GetNumResourcesList(&count, type) != PA_OK || count <= 0) return records;
      records.resize(static_cast<std::size_t>(count));
      if (m_dialog.m_manager.PA_GetResourceList(static_cast<unsigned short>(type), records.data()) != PA_OK) records.clear();
      return records;
    };
    std::pair<std::vector<Melody>, std::vector<Melody>> choices;
    ChoicesFromResources(list(0), list(1), choices.first, choices.second);
    return choices;
  }

  CDaybookDlg& m_dialog;
};

void CDaybookDlg::OnExchange(UINT command) {
  CDaybookExchangeHost host(*this);
  CExchangeBridges(m_manager, host).Run(command);
}
