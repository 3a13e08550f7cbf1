// The contacts page; see ContactsDlg.h. Every store change goes through the model, which names the
// field of a contact the phone library refuses; the form then stays as the user left it.
#include "ContactsDlg.h"

#include "Daybook.h"
#include "MainDialogRules.h"
#include "resource.h"

#include <controls/ListView.h>
#include <resources/Resource.h>
#include <user/User.h>

#include <algorithm>

using namespace daybook;

namespace {

constexpr UINT kEditIds[13] = {IDC_NAME, IDC_READING, 1050, 1051, 1052, 1053, 1054, 1055, 1056,
                               IDC_TEXT1,  IDC_TEXT2,   IDC_EMAIL1, IDC_EMAIL2};
constexpr UINT kPlaceholders[13] = {340, 339, 341, 342, 343, 344, 345, 346, 347, 352, 353, 354, 355};
// Each editor's icon static and its bitmaps while empty and while filled (fields without a coloured
// image keep the grey one).
constexpr UINT kEditIcons[13] = {1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1044, 1045, 1046, 1047};
constexpr UINT kEmptyBitmaps[13] = {186, 187, 188, 189, 190, 191, 192, 193, 193, 202, 202, 194, 194};
constexpr UINT kFilledBitmaps[13] = {139, 140, 188, 189, 190, 191, 192, 193, 193, 202, 202, 194, 194};
constexpr COLORREF kDarkText = 0x822A08;
constexpr COLORREF kGreyText = 0x979797;
constexpr UINT_PTR kSelectionTimer = 1;
constexpr UINT kCaption = 305;
constexpr UINT kNoChange = 470;

CString FieldName(const PutResult& refused) {
  CString name;
  switch (refused.field) {
    case ContactField::Name: return DaybookText(2006);
    case ContactField::Reading: return DaybookText(2007);
    case ContactField::Number: name.Format(DaybookText(2008), refused.index + 1); return name;
    case ContactField::Text: name.Format(DaybookText(2009), refused.index + 1); return name;
    case ContactField::Email: name.Format(DaybookText(2010), refused.index + 1); return name;
    case ContactField::Group: return DaybookText(2011);
    case ContactField::Light: return DaybookText(2012);
    default: return DaybookText(2013);
  }
}

}  // namespace

void CContactListCtrl::OnDropOnList(CSkinListCtrl* target) {
  // The dragging list keeps the row under the pointer and the list it belongs to.
  if (target != nullptr && target != this && GetDropWindow() == target->m_hWnd) m_page.DropOnGroup(GetDropIndex());
}

CContactsDlg::CContactsDlg(CManager& manager, CWnd* parent)
    : CEmbeddableDialog(IDD_CONTACTS, parent, FALSE), m_model(manager, DaybookText(303)) {}

namespace {

// A text editor's focus notification, with the editor's id.
AFX_MSGMAP_ENTRY EditFocus(WORD code, UINT id, void (CContactsDlg::*handler)(UINT)) {
  return {WM_COMMAND, code, id, id, [handler](CCmdTarget& target, AFX_CALL& call) {
            (static_cast<CContactsDlg&>(target).*handler)(call.id);
            return TRUE;
          }};
}

}  // namespace

const AFX_MSGMAP* CContactsDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), [] {
    std::vector<AFX_MSGMAP_ENTRY> entries{
      MapCommand(IDC_NEW, &CContactsDlg::OnNew),
      MapCommand(IDC_DOWNLOAD, &CContactsDlg::OnDownloadButton),
      MapCommand(IDC_UPLOAD, &CContactsDlg::OnUploadButton),
      MapCommand(IDC_CANCEL_TRANSFER, &CContactsDlg::OnCancelTransferButton),
      MapCommand(IDC_DELETE, &CContactsDlg::OnDelete),
      MapCommand(IDC_DELETE_ALL, &CContactsDlg::OnDeleteAll),
      MapCommand(IDC_APPLY, &CContactsDlg::OnApply),
      MapCommand(IDC_CANCEL, &CContactsDlg::OnCancel),
      MapCommand(IDC_RESET_GROUPS, &CContactsDlg::OnResetGroups),
      MapCommand(IDC_SORT, &CContactsDlg::OnSort),
      MapControl(EN_UPDATE, IDC_NAME, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, IDC_READING, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, 1050, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, 1051, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, 1052, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, 1053, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, 1054, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, 1055, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, 1056, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, IDC_TEXT1, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, IDC_TEXT2, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, IDC_EMAIL1, &CContactsDlg::OnFieldChange),
      MapControl(EN_UPDATE, IDC_EMAIL2, &CContactsDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_GROUP_COMBO, &CContactsDlg::OnGroupComboChange),
      MapControl(CBN_SELCHANGE, IDC_MELODY_COMBO, &CContactsDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_PICTURE_COMBO, &CContactsDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_LIGHT_COMBO, &CContactsDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_DEFAULT_MELODY, &CContactsDlg::OnDefaultChange),
      MapControl(CBN_SELCHANGE, IDC_DEFAULT_PICTURE, &CContactsDlg::OnDefaultChange),
      MapControl(CBN_SELCHANGE, IDC_DEFAULT_LIGHT, &CContactsDlg::OnDefaultChange),
      MapNotify(LVN_ITEMCHANGED, IDC_GROUP_LIST, &CContactsDlg::OnGroupChanged),
      MapNotify(LVN_ITEMCHANGED, IDC_CONTACT_LIST, &CContactsDlg::OnContactChanged),
      MapNotify(LVN_ITEMCHANGING, IDC_GROUP_LIST, &CContactsDlg::OnItemChanging),
      MapNotify(LVN_ITEMCHANGING, IDC_CONTACT_LIST, &CContactsDlg::OnItemChanging),
      MapNotify(NM_DBLCLK, IDC_GROUP_LIST, &CContactsDlg::OnGroupDoubleClick),
      MapNotify(NM_RCLICK, IDC_CONTACT_LIST, &CContactsDlg::OnContactRightClick),
      MapMessage(WM_SHOWWINDOW, &CContactsDlg::OnShowWindow),
      MapMessage(WM_SIZE, &CContactsDlg::OnSize),
      MapMessage(WM_TIMER, &CContactsDlg::OnTimer),
      MapMessage(WM_CTLCOLORSTATIC, &CContactsDlg::OnCtlColor),
    };
    for (UINT id : kEditIds) {
      entries.push_back(EditFocus(EN_SETFOCUS, id, &CContactsDlg::OnEditFocus));
      entries.push_back(EditFocus(EN_KILLFOCUS, id, &CContactsDlg::OnEditBlur));
    }
    return entries;
  }()};
  return &map;
}

// A field showing its placeholder is emptied for typing; an empty one gets it back.
void CContactsDlg::OnEditFocus(UINT id) {
  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    if (kEditIds[i] != id) continue;
    CString text;
    m_edits[i].GetWindowText(text);
    if (text == DaybookText(kPlaceholders[i])) {
      m_filling = true;
      m_edits[i].SetWindowText("");
      m_filling = false;
    }
    m_edits[i].SetTextColor(kDarkText);
    SetFieldIcon(*this, kEditIcons[i], kFilledBitmaps[i]);
  }
}

void CContactsDlg::OnEditBlur(UINT id) {
  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    if (kEditIds[i] != id) continue;
    CString text;
    m_edits[i].GetWindowText(text);
    if (text.IsEmpty()) {
      m_filling = true;
      m_edits[i].SetWindowText(DaybookText(kPlaceholders[i]));
      m_filling = false;
      m_edits[i].SetTextColor(kGreyText);
      SetFieldIcon(*this, kEditIcons[i], kEmptyBitmaps[i]);
    }
  }
}

BOOL CContactsDlg::OnInitDialog() {
  CEmbeddableDialog::OnInitDialog();
  m_filling = true;
  ModifyStyle(0, WS_CLIPCHILDREN);
  GetDlgItem(IDC_GROUPS_LABEL)->SetWindowText(DaybookText(302));
  GetDlgItem(IDC_CONTACTS_LABEL)->SetWindowText(DaybookText(305));
  GetDlgItem(IDC_DEFAULTS_LABEL)->SetWindowText(DaybookText(304));
  const std::pair<UINT, UINT> buttons[] = {{IDC_NEW, 316},   {IDC_DELETE, 312},        {IDC_DELETE_ALL, 313},
                                           {IDC_APPLY, 314}, {IDC_CANCEL, 315},        {IDC_RESET_GROUPS, 310},
                                           {IDC_UPLOAD, 468}, {IDC_DOWNLOAD, 469}};
  for (const auto& [id, text] : buttons) GetDlgItem(static_cast<int>(id))->SetWindowText(DaybookText(text));
  const UINT skinned[9] = {IDC_NEW, IDC_DELETE, IDC_DELETE_ALL, IDC_APPLY, IDC_CANCEL, IDC_RESET_GROUPS,
                           IDC_UPLOAD, IDC_DOWNLOAD, IDC_SORT};
  for (std::size_t i = 0; i < m_buttons.size(); ++i) {
    m_buttons[i].SubclassDlgItem(skinned[i], this);
    m_buttons[i].SetDefaultLook();
  }

  m_groups.SubclassDlgItem(IDC_GROUP_LIST, this);
  m_contacts.SubclassDlgItem(IDC_CONTACT_LIST, this);
  m_groups.InsertColumn(0, "", LVCFMT_LEFT, 174);
  m_groups.DisableDrag();
  m_contacts.InsertColumn(0, "", LVCFMT_LEFT, 208);
  m_contacts.InsertColumn(1, "", LVCFMT_LEFT, 0);
  m_contacts.EnableDrag();

  CManager& manager = m_model.Manager();
  const PA_CONTACT_FIELD fields[13] = {PA_CONTACT_NAME, PA_CONTACT_READING,
      PA_CONTACT_FIELD(2), PA_CONTACT_FIELD(3), PA_CONTACT_FIELD(4), PA_CONTACT_FIELD(5), PA_CONTACT_FIELD(6),
      PA_CONTACT_FIELD(7), PA_CONTACT_FIELD(8), PA_CONTACT_FIELD(13), PA_CONTACT_FIELD(14), PA_CONTACT_FIELD(15),
      PA_CONTACT_FIELD(16)};
  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    m_edits[i].SubclassDlgItem(kEditIds[i], this);
    const int limit = manager.GetContactMaxFieldSize(fields[i]);
    if (i >= 2 && i < 9) {
      m_edits[i].InitFilter(DaybookText(kPlaceholders[i]), limit);
    } else {
      m_edits[i].SetLimit(limit);
    }
  }
  m_group.SubclassDlgItem(IDC_GROUP_COMBO, this);
  m_melody.SubclassDlgItem(IDC_MELODY_COMBO, this);
  m_picture.SubclassDlgItem(IDC_PICTURE_COMBO, this);
  m_light.SubclassDlgItem(IDC_LIGHT_COMBO, this);
  m_defaultMelody.SubclassDlgItem(IDC_DEFAULT_MELODY, this);
  m_defaultPicture.SubclassDlgItem(IDC_DEFAULT_PICTURE, this);
  m_defaultLight.SubclassDlgItem(IDC_DEFAULT_LIGHT, this);
  for (CFlatComboBox* combo : {&m_melody, &m_defaultMelody}) {
    combo->AddString(DaybookText(349));
    combo->SetItemData(0, 0);
  }
  for (CFlatComboBox* combo : {&m_picture, &m_defaultPicture}) {
    combo->AddString(DaybookText(350));
    combo->SetItemData(0, 0);
  }
  for (CFlatComboBox* combo : {&m_light, &m_defaultLight}) {
    combo->AddString(DaybookText(351));
    for (UINT id = 375; id <= 387; ++id) combo->AddString(DaybookText(id));
  }
  for (CFlatComboBox* combo : {&m_melody, &m_picture, &m_light, &m_defaultMelody, &m_defaultPicture, &m_defaultLight}) {
    combo->SetCurSel(0);
  }
  for (CFlatComboBox* combo : {&m_defaultMelody, &m_defaultPicture, &m_defaultLight, &m_light}) {
    combo->SetFont("Verdana", 13, FALSE, FALSE);
  }
  m_defaultsFrame.SubclassDlgItem(IDC_DEFAULTS_FRAME, this);
  m_formFrame.SubclassDlgItem(IDC_FORM_FRAME, this);
  m_framed.AddRange(*this, m_formFrame, 1031, 1064);
  m_framed.AddRange(*this, m_defaultsFrame, IDC_DEFAULT_MELODY, IDC_ICON_DEFAULT_LIGHT);
  m_framed.Add(*this, m_defaultsFrame, {IDC_DEFAULTS_LABEL});

  m_model.StoreDefaultGroupNames();
  m_groups.AddItem(DaybookText(308), 0, 0);
  m_groups.AddItem(DaybookText(388), 1, 0);
  m_group.AddString(DaybookText(348));
  for (int g = 1; g <= kGroupCount; ++g) {
    m_groups.AddItem(m_model.GroupName(g), g + 1, 0);
    m_group.AddString(m_model.GroupName(g));
  }
  m_group.SetCurSel(0);
  EmptyForm();
  ShowDefaultIcons();
  // The lists grow with the page, the form keeps to the right, the group defaults and the row of
  // buttons to the bottom. The contacts list's label spans no further than its list (OnSize).
  std::vector<std::pair<UINT, unsigned>> anchors = {
      {IDC_GROUP_LIST, kGrowY}, {IDC_CONTACT_LIST, kGrowX | kGrowY}, {IDC_CONTACTS_LABEL, kStay},
      {IDC_SORT, kMoveX},       {IDC_FORM_FRAME, kMoveX},           {IDC_CTS_PROGRESS, kMoveY | kGrowX},
      {IDC_CANCEL_TRANSFER, kMoveX | kMoveY}};
  for (UINT id = 1031; id <= 1064; ++id) anchors.emplace_back(id, kMoveX);
  for (UINT id : {IDC_DEFAULTS_FRAME, IDC_DEFAULTS_LABEL, IDC_DEFAULT_MELODY, IDC_DEFAULT_PICTURE, IDC_DEFAULT_LIGHT,
                  IDC_ICON_DEFAULT_MELODY, IDC_ICON_DEFAULT_PICTURE, IDC_ICON_DEFAULT_LIGHT}) {
    anchors.emplace_back(id, kMoveY);
  }
  m_layout.Capture(*this, anchors,
                   {IDC_NEW, IDC_DELETE, IDC_DELETE_ALL, IDC_APPLY, IDC_CANCEL, IDC_RESET_GROUPS, IDC_DOWNLOAD,
                    IDC_UPLOAD});
  Enable(IDC_APPLY, false);
  Enable(IDC_CANCEL, false);
  m_filling = false;
  m_groups.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  RefillList();
  return TRUE;
}

bool CContactsDlg::Button(UINT id) const {
  CWnd* item = GetDlgItem(static_cast<int>(id));
  return item != nullptr && ::IsWindowEnabled(item->m_hWnd);
}

void CContactsDlg::Enable(UINT id, bool on) {
  if (CWnd* item = GetDlgItem(static_cast<int>(id))) item->EnableWindow(on ? TRUE : FALSE);
}

bool CContactsDlg::HasPendingEdit() const { return Button(IDC_CANCEL) || Button(IDC_APPLY); }

int CContactsDlg::GroupRow() const {
  return m_groups.m_hWnd ? m_groups.GetNextItem(-1, LVNI_SELECTED) : kNoRow;
}

std::vector<int> CContactsDlg::SelectedSlots() const {
  std::vector<int> slots;
  for (int row = m_contacts.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_contacts.GetNextItem(row, LVNI_SELECTED)) {
    slots.push_back(static_cast<int>(m_contacts.GetItemData(row)));
  }
  return slots;
}

ContactForm CContactsDlg::ReadForm() const {
  ContactForm form;
  CString* texts[13] = {&form.name, &form.reading, &form.numbers[0], &form.numbers[1], &form.numbers[2],
                        &form.numbers[3], &form.numbers[4], &form.numbers[5], &form.numbers[6], &form.texts[0],
                        &form.texts[1], &form.emails[0], &form.emails[1]};
  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    m_edits[i].GetWindowText(*texts[i]);
    if (*texts[i] == DaybookText(kPlaceholders[i])) texts[i]->Empty();  // a placeholder is stored empty
  }
  form.group = std::max(m_group.GetCurSel(), 0);
  const int melody = m_melody.GetCurSel();
  form.melodyId = melody > 0 ? static_cast<DWORD>(m_melody.GetItemData(melody)) : 0;
  const int picture = m_picture.GetCurSel();
  form.pictureId = picture > 0 ? static_cast<DWORD>(m_picture.GetItemData(picture)) : 0;
  form.light = std::max(m_light.GetCurSel(), 0);
  return form;
}

void CContactsDlg::ComboSelectData(CComboBox& combo, DWORD data) {
  int found = 0;
  for (int i = 1; i < combo.GetCount(); ++i) {
    if (static_cast<DWORD>(combo.GetItemData(i)) == data) found = i;
  }
  combo.SetCurSel(data == 0 ? 0 : found);
}

void CContactsDlg::ShowForm(const ContactForm& form) {
  m_filling = true;
  const CString* texts[13] = {&form.name, &form.reading, &form.numbers[0], &form.numbers[1], &form.numbers[2],
                              &form.numbers[3], &form.numbers[4], &form.numbers[5], &form.numbers[6],
                              &form.texts[0], &form.texts[1], &form.emails[0], &form.emails[1]};
  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    m_edits[i].SetWindowText(texts[i]->IsEmpty() ? DaybookText(kPlaceholders[i]) : *texts[i]);
  }
  m_group.SetCurSel(form.group);
  ComboSelectData(m_melody, form.melodyId);
  ComboSelectData(m_picture, form.pictureId);
  m_light.SetCurSel(form.light);
  m_filling = false;
  ShowFieldIcons();
}

void CContactsDlg::ShowFieldIcons() {
  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    CString text;
    m_edits[i].GetWindowText(text);
    const bool empty = text.IsEmpty() || text == DaybookText(kPlaceholders[i]);
    SetFieldIcon(*this, kEditIcons[i], empty ? kEmptyBitmaps[i] : kFilledBitmaps[i]);
    m_edits[i].SetTextColor(empty ? kGreyText : kDarkText);
  }
  ShowComboLooks();
}

void CContactsDlg::ShowComboLooks() {
  // A combo is empty on its entry 0.
  const struct {
    CFlatComboBox& combo;
    UINT icon, grey, coloured;
  } combos[] = {{m_group, 1040, 195, 147}, {m_melody, 1041, 197, 149}, {m_picture, 1042, 196, 148}, {m_light, 1043, 198, 150}};
  for (const auto& c : combos) {
    const bool empty = c.combo.GetCurSel() <= 0;
    SetFieldIcon(*this, c.icon, empty ? c.grey : c.coloured);
    c.combo.SetTextColor(empty ? kGreyText : kDarkText);
  }
}

void CContactsDlg::ShowDefaultIcons() {
  const struct {
    CFlatComboBox& combo;
    UINT icon, grey, coloured;
  } combos[] = {{m_defaultMelody, IDC_ICON_DEFAULT_MELODY, 199, 156},
                {m_defaultPicture, IDC_ICON_DEFAULT_PICTURE, 200, 157},
                {m_defaultLight, IDC_ICON_DEFAULT_LIGHT, 201, 155}};
  for (const auto& c : combos) {
    const bool empty = c.combo.GetCurSel() <= 0;
    SetFieldIcon(*this, c.icon, empty ? c.grey : c.coloured);
    c.combo.SetTextColor(empty ? kGreyText : kDarkText);
  }
}

LRESULT CContactsDlg::OnSize(WPARAM, LPARAM size) {
  Default();
  m_layout.Apply(*this, LOWORD(size), HIWORD(size));
  if (m_contacts.m_hWnd) {
    RECT client{};
    m_contacts.GetClientRect(&client);
    m_contacts.SetColumnWidth(0, client.right);
    // On a narrow page the label's band ends with the list, under the sort button, instead of
    // running on towards the form.
    if (CWnd* label = GetDlgItem(IDC_CONTACTS_LABEL)) {
      RECT l{}, list{};
      label->GetWindowRect(&l);
      ScreenToClient(&l);
      m_contacts.GetWindowRect(&list);
      ScreenToClient(&list);
      if (l.right > list.right) {
        label->MoveWindow(l.left, l.top, std::max<LONG>(1, list.right - l.left), l.bottom - l.top, FALSE);
      }
    }
  }
  return 0;
}

LRESULT CContactsDlg::OnCtlColor(WPARAM dc, LPARAM control) {
  if (HBRUSH white = m_framed.Brush(dc, control)) return reinterpret_cast<LRESULT>(white);
  return Default();
}

void CContactsDlg::EmptyForm() { ShowForm(ContactForm{}); }

void CContactsDlg::FoldModified() {
  if (m_model.Modified()) g_bDocumentModified = TRUE;
  m_model.SetModified(false);
}

void CContactsDlg::UpdateButtons() {
  if (m_multi) return;
  const std::vector<int> slots = SelectedSlots();
  const int slot = m_newPending ? m_newSlot : slots.size() == 1 ? slots.front() : -1;
  const bool differs = slot >= 0 ? m_model.Differs(slot, ReadForm()) : !(ReadForm() == ContactForm{});
  const ContactButtons b = ButtonsFor(differs, m_newPending, !slots.empty(), m_contacts.GetItemCount() == 0);
  Enable(IDC_APPLY, b.apply);
  Enable(IDC_CANCEL, b.cancel);
  Enable(IDC_NEW, b.newContact);
  Enable(IDC_DELETE, b.remove);
  Enable(IDC_DELETE_ALL, b.removeAll);
}

void CContactsDlg::RefillList() {
  m_filling = true;
  // Drawing stays off while the rows go in, so the list is painted once with all of them rather than
  // invalidated row by row. Turning drawing back on shows the window, so a hidden list is left alone.
  const bool shown = (m_contacts.GetStyle() & WS_VISIBLE) != 0;
  if (shown) m_contacts.SetRedraw(FALSE);
  m_contacts.DeleteAllItems();
  const CString unnamed = DaybookText(340);
  for (const ContactRow& row : m_model.Rows(GroupRow())) {
    m_contacts.AddItem(row.name.IsEmpty() ? unnamed : row.name, row.slot, 0);
  }
  if (shown) {
    m_contacts.SetRedraw(TRUE);
    m_contacts.Invalidate();
  }
  m_filling = false;
  ShowGroupDefaults();
  UpdateButtons();
}

void CContactsDlg::RefreshGroups() {
  // Only the names that changed are put back, so the group list and the combo keep what they show.
  for (int g = 1; g <= kGroupCount; ++g) {
    const CString name = m_model.GroupName(g);
    if (m_groups.GetItemText(g + 1, 0) != name) m_groups.SetItemText(g + 1, 0, name);
    CString shown;
    m_group.GetLBText(g, shown);
    if (shown == name) continue;
    const int selected = m_group.GetCurSel();
    m_group.DeleteString(static_cast<UINT>(g));
    m_group.InsertString(g, name);
    m_group.SetCurSel(selected);
  }
  RefillList();
}

void CContactsDlg::ShowGroupDefaults() {
  const int group = GroupRow() - 1;
  m_filling = true;
  if (group < 0 || !m_model.Defaults()[group].set) {
    m_defaultMelody.SetCurSel(0);
    m_defaultPicture.SetCurSel(0);
    m_defaultLight.SetCurSel(0);
  } else {
    const GroupDefault& d = m_model.Defaults()[group];
    m_defaultLight.SetCurSel(static_cast<int>(d.light));
    ComboSelectData(m_defaultPicture, d.pictureId);
    ComboSelectData(m_defaultMelody, d.melodyId);
  }
  m_filling = false;
  ShowDefaultIcons();
}

void CContactsDlg::EnterMulti(bool multi) {
  if (multi == m_multi) return;
  m_multi = multi;
  for (CFlatComboBox* combo : {&m_group, &m_light, &m_picture, &m_melody}) {
    if (multi) {
      combo->AddString(DaybookText(kNoChange));
    } else if (combo->GetCount() > 0) {
      combo->DeleteString(static_cast<UINT>(combo->GetCount() - 1));
      combo->SetCurSel(0);
    }
  }
  for (CFlatEdit& edit : m_edits) edit.EnableWindow(multi ? FALSE : TRUE);
}

void CContactsDlg::PublishFreeCount() {
  if (!IsWindowVisible()) return;
  CString text;
  text.Format(DaybookText(471), m_model.FreeCount());
  PostStatusToLauncher(std::string_view(text, static_cast<std::size_t>(text.GetLength())));
}

void CContactsDlg::OnNew() {
  if (HasPendingEdit()) {
    DaybookMessage(kPendingEditText, kCaption, MB_ICONINFORMATION);
    return;
  }
  const int slot = m_model.FreeSlot();
  if (slot < 0) {
    DaybookMessage(399, kCaption, MB_ICONINFORMATION);
    EmptyForm();
    return;
  }
  m_contacts.DisableDrag();
  m_filling = true;
  for (int row = 0; row < m_contacts.GetItemCount(); ++row) m_contacts.SetItemState(row, 0, LVIS_SELECTED);
  const int item = m_contacts.AddItem(DaybookText(340), slot, 0);
  m_contacts.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_contacts.EnsureVisible(item, FALSE);
  m_filling = false;
  EmptyForm();
  m_newPending = true;
  m_newSlot = slot;
  const int group = GroupRow() - 1;
  if (group >= 1) {
    ContactForm form;
    form.group = group;
    const GroupDefault& d = m_model.Defaults()[group];
    if (d.set) {
      form.light = static_cast<int>(d.light);
      form.pictureId = d.pictureId;
      form.melodyId = d.melodyId;
    }
    ShowForm(form);
  }
  UpdateButtons();
  m_edits[0].SetFocus();
}

void CContactsDlg::OnApply() {
  if (m_multi) {
    MultiChoice choice;
    const auto chosen = [](CComboBox& combo) { return combo.GetCurSel() != combo.GetCount() - 1; };
    if (chosen(m_group)) choice.group = m_group.GetCurSel();
    if (chosen(m_light)) choice.light = m_light.GetCurSel();
    if (chosen(m_picture)) choice.pictureId = static_cast<DWORD>(m_picture.GetItemData(m_picture.GetCurSel()));
    if (chosen(m_melody)) choice.melodyId = static_cast<DWORD>(m_melody.GetItemData(m_melody.GetCurSel()));
    const std::vector<int> slots = SelectedSlots();
    if (const PutResult refused = m_model.ApplyMany(slots, choice); !refused) {
      CString text;
      text.Format(DaybookText(2005), static_cast<LPCSTR>(FieldName(refused)));
      DaybookMessageText(text, kCaption, MB_ICONEXCLAMATION);
      return;
    }
    EnterMulti(false);
  } else {
    const std::vector<int> slots = SelectedSlots();
    const int slot = m_newPending ? m_newSlot : slots.size() == 1 ? slots.front() : m_model.FreeSlot();
    if (slot < 0) {
      DaybookMessage(399, kCaption, MB_ICONINFORMATION);
      return;
    }
    if (const PutResult refused = m_model.Apply(slot, ReadForm()); !refused) {
      // Nothing was stored: the form keeps the user's values and stays in editing.
      CString text;
      text.Format(DaybookText(2005), static_cast<LPCSTR>(FieldName(refused)));
      DaybookMessageText(text, kCaption, MB_ICONEXCLAMATION);
      return;
    }
  }
  FoldModified();
  m_newPending = false;
  m_contacts.EnableDrag();
  Enable(IDC_APPLY, false);
  Enable(IDC_CANCEL, false);
  RefillList();
  EmptyForm();
  UpdateButtons();
}

void CContactsDlg::OnCancel() {
  if (DaybookMessage(362, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (m_newPending) {
    m_newPending = false;
    m_filling = true;
    m_contacts.DeleteItem(m_contacts.GetItemCount() - 1);
    m_filling = false;
  }
  Enable(IDC_APPLY, false);
  Enable(IDC_CANCEL, false);
  m_contacts.EnableDrag();
  const std::vector<int> slots = SelectedSlots();
  if (slots.size() == 1) {
    ShowForm(FormOf(m_model.Contact(slots.front())));
  } else {
    EmptyForm();
  }
  UpdateButtons();
  GetDlgItem(IDC_NEW)->SetFocus();
}

void CContactsDlg::OnDelete() {
  const std::vector<int> slots = SelectedSlots();
  if (slots.empty()) {
    DaybookMessage(358, kCaption, MB_ICONINFORMATION);
    return;
  }
  if (DaybookMessage(361, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  m_model.Delete(slots);
  FoldModified();
  EnterMulti(false);
  RefillList();
  EmptyForm();
  PublishFreeCount();
}

void CContactsDlg::OnDeleteAll() {
  // With no group row selected the list is empty and there is nothing to delete.
  if (GroupRow() == kNoRow || m_contacts.GetItemCount() == 0) return;
  if (DaybookMessage(368, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  m_model.DeleteAll(GroupRow());
  FoldModified();
  EnterMulti(false);
  RefillList();
  EmptyForm();
  Enable(IDC_DELETE, false);
  Enable(IDC_DELETE_ALL, false);
  Enable(IDC_CANCEL, false);
  PublishFreeCount();
}

void CContactsDlg::OnResetGroups() {
  if (DaybookMessage(395, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  m_model.ResetGroups();
  FoldModified();
  RefreshGroups();
}

void CContactsDlg::ClearAll() {
  m_model.ClearAll();
  m_newPending = false;
  EnterMulti(false);
  m_filling = true;
  m_groups.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_filling = false;
  RefreshGroups();
  EmptyForm();
  Enable(IDC_APPLY, false);
  Enable(IDC_CANCEL, false);
  UpdateButtons();
}

void CContactsDlg::OnSort() {
  m_contacts.SortByColumn(0, FALSE);
}

void CContactsDlg::OnFieldChange() {
  if (m_filling) return;
  ShowComboLooks();
  if (m_multi) {
    const auto unchanged = [](CComboBox& combo) { return combo.GetCurSel() == combo.GetCount() - 1; };
    const bool none = unchanged(m_group) && unchanged(m_light) && unchanged(m_picture) && unchanged(m_melody);
    Enable(IDC_NEW, none);
    Enable(IDC_DELETE, none);
    Enable(IDC_DELETE_ALL, none);
    Enable(IDC_APPLY, !none);
    Enable(IDC_CANCEL, !none);
    return;
  }
  UpdateButtons();
}

void CContactsDlg::OnGroupComboChange() {
  // A group chosen by the user brings the group's default light, picture and melody into the form.
  const int group = m_group.GetCurSel();
  if (!m_filling && !m_multi && ::GetFocus() == m_group.m_hWnd && group >= 1 && group < static_cast<int>(m_model.Defaults().size()) &&
      m_model.Defaults()[static_cast<std::size_t>(group)].set) {
    const GroupDefault& d = m_model.Defaults()[static_cast<std::size_t>(group)];
    m_filling = true;
    m_light.SetCurSel(static_cast<int>(d.light));
    ComboSelectData(m_picture, d.pictureId);
    ComboSelectData(m_melody, d.melodyId);
    m_filling = false;
  }
  OnFieldChange();
}

void CContactsDlg::OnDefaultChange() {
  if (m_filling) return;
  ShowDefaultIcons();
  const int group = GroupRow() - 1;
  if (group < 0) return;
  const int melody = m_defaultMelody.GetCurSel();
  const int picture = m_defaultPicture.GetCurSel();
  const DWORD melodyId = melody > 0 ? static_cast<DWORD>(m_defaultMelody.GetItemData(melody)) : 0;
  const DWORD pictureId = picture > 0 ? static_cast<DWORD>(m_defaultPicture.GetItemData(picture)) : 0;
  if (const PutResult refused = m_model.SetGroupDefaults(group, melodyId, pictureId, std::max(m_defaultLight.GetCurSel(), 0));
      !refused) {
    CString text;
    text.Format(DaybookText(2005), static_cast<LPCSTR>(FieldName(refused)));
    DaybookMessageText(text, kCaption, MB_ICONEXCLAMATION);
  }
  FoldModified();
}

void CContactsDlg::OnGroupChanged(NMHDR* header, LRESULT*) {
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  if (m_filling || !(change->uChanged & LVIF_STATE) || !(change->uNewState & LVIS_SELECTED)) return;
  RefillList();
  EmptyForm();
}

void CContactsDlg::OnContactChanged(NMHDR* header, LRESULT*) {
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  if (m_filling || !(change->uChanged & LVIF_STATE) || m_newPending) return;
  const std::vector<int> slots = SelectedSlots();
  EnterMulti(slots.size() >= 2);
  if (slots.size() == 1) {
    ShowForm(FormOf(m_model.Contact(slots.front())));
  } else if (slots.size() >= 2) {
    // The combos' common values are compared once the selection rests (200 ms after its last change);
    // until then each shows "<No change>", so an apply meanwhile changes nothing.
    EmptyForm();
    m_filling = true;
    for (CFlatComboBox* combo : {&m_group, &m_light, &m_picture, &m_melody}) combo->SetCurSel(combo->GetCount() - 1);
    m_filling = false;
    SetTimer(kSelectionTimer, 200, nullptr);
    Enable(IDC_NEW, true);
    Enable(IDC_DELETE, true);
    Enable(IDC_DELETE_ALL, true);
    Enable(IDC_APPLY, false);
    Enable(IDC_CANCEL, false);
    return;
  } else {
    EmptyForm();
  }
  UpdateButtons();
}

LRESULT CContactsDlg::OnTimer(WPARAM id, LPARAM) {
  if (id != kSelectionTimer) return Default();
  KillTimer(kSelectionTimer);
  if (m_multi) CompareSelection();
  return 0;
}

void CContactsDlg::CompareSelection() {
  // The combos show the common value, "<No change>" where the contacts differ.
  const std::vector<int> slots = SelectedSlots();
  if (slots.size() < 2) return;
  const PA_PHONEBOOK_INFO first = m_model.Contact(slots.front());
  bool group = true, light = true, picture = true, melody = true;
  for (int slot : slots) {
    const PA_PHONEBOOK_INFO c = m_model.Contact(slot);
    group &= c.bGroup == first.bGroup;
    light &= c.bChoice == first.bChoice;
    picture &= c.dwPictureId == first.dwPictureId;
    melody &= c.dwMelodyId == first.dwMelodyId;
  }
  m_filling = true;
  m_group.SetCurSel(group ? first.bGroup : m_group.GetCount() - 1);
  m_light.SetCurSel(light ? first.bChoice : m_light.GetCount() - 1);
  if (picture) ComboSelectData(m_picture, first.dwPictureId); else m_picture.SetCurSel(m_picture.GetCount() - 1);
  if (melody) ComboSelectData(m_melody, first.dwMelodyId); else m_melody.SetCurSel(m_melody.GetCount() - 1);
  m_filling = false;
  ShowComboLooks();
}

void CContactsDlg::OnItemChanging(NMHDR*, LRESULT* result) {
  // The selection stays on an open edit until apply or cancel ends it.
  *result = !m_filling && HasPendingEdit() ? 1 : 0;
}

void CContactsDlg::OnGroupDoubleClick(NMHDR*, LRESULT*) {
  if (HasPendingEdit()) {
    DaybookMessage(kPendingEditText, kCaption, MB_ICONINFORMATION);
    return;
  }
  const int row = GroupRow();
  if (row >= 2) m_groups.EditLabel(row);
}

bool CContactsDlg::Renaming() const {
  return m_groups.m_hWnd && ::SendMessageA(m_groups.m_hWnd, LVM_GETEDITCONTROL, 0, 0) != 0;
}

bool CContactsDlg::GroupListFocused() const { return m_groups.m_hWnd && ::GetFocus() == m_groups.m_hWnd; }

void CContactsDlg::StartRename() {
  const int row = GroupRow();
  if (row >= 2 && !HasPendingEdit()) m_groups.EditLabel(row);
}

void CContactsDlg::EmptyRename() {
  if (HWND editor = reinterpret_cast<HWND>(::SendMessageA(m_groups.m_hWnd, LVM_GETEDITCONTROL, 0, 0))) {
    ::SetWindowTextA(editor, "");
  }
}

void CContactsDlg::EndRenameAndMove(int step) {
  const int row = GroupRow();
  // The editor ends as when the focus leaves it: the name typed so far is kept.
  m_groups.SetFocus();
  const int next = row + step;
  if (row < 0 || next < 0 || next >= m_groups.GetItemCount()) return;
  m_groups.SetItemState(next, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_groups.EnsureVisible(next, FALSE);
}

void CGroupListCtrl::OnEndLabelEdit(NMHDR* notify, LRESULT* result) {
  const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(notify);
  const bool cancelled = info->item.pszText == nullptr;
  CSkinListCtrl::OnEndLabelEdit(notify, result);
  if (cancelled) {
    m_page.RenameGroupRow(info->item.iItem, nullptr);
    return;
  }
  // The list has put the edited text into the row; the page stores it.
  const CString text = GetItemText(info->item.iItem, 0);
  m_page.RenameGroupRow(info->item.iItem, text);
}

void CContactsDlg::RenameGroupRow(int row, const char* text) {
  // No text: the edit was cancelled (Escape); nothing is written and the document stays as it was.
  if (text == nullptr || row < 2) return;
  const std::optional<CString> stored = m_model.RenameGroup(row - 1, text);
  if (!stored) {
    m_groups.SetItemText(row, 0, m_model.GroupName(row - 1));
    return;
  }
  FoldModified();
  m_groups.SetItemText(row, 0, *stored);
  const int selected = m_group.GetCurSel();
  m_group.DeleteString(static_cast<UINT>(row - 1));
  m_group.InsertString(row - 1, *stored);
  m_group.SetCurSel(selected);
}

void CContactsDlg::OnContactRightClick(NMHDR*, LRESULT*) {
  if (Button(IDC_APPLY)) {
    DaybookMessage(kPendingEditText, kCaption, MB_ICONINFORMATION);
    return;
  }
  TrackListMenu(*this);
}

void CContactsDlg::SetChoices(const std::vector<Melody>& pictures, const std::vector<Melody>& melodies) {
  m_filling = true;
  const auto fill = [](CFlatComboBox& combo, const std::vector<Melody>& entries) {
    while (combo.GetCount() > 1) combo.DeleteString(1);
    for (const Melody& entry : entries) {
      const int row = combo.AddString(entry.name);
      combo.SetItemData(row, entry.id);
    }
    combo.SetCurSel(0);
  };
  fill(m_picture, pictures);
  fill(m_defaultPicture, pictures);
  fill(m_melody, melodies);
  fill(m_defaultMelody, melodies);
  m_filling = false;
  ShowGroupDefaults();
}

void CContactsDlg::DropOnGroup(int dropRow) {
  if (dropRow < 1) return;
  m_groups.SetItemState(dropRow, 0, LVIS_DROPHILITED);
  const std::vector<int> slots = SelectedSlots();
  if (const PutResult refused = m_model.Drop(slots, dropRow); !refused) {
    CString text;
    text.Format(DaybookText(2005), static_cast<LPCSTR>(FieldName(refused)));
    DaybookMessageText(text, kCaption, MB_ICONEXCLAMATION);
  }
  FoldModified();
  RefillList();
}

LRESULT CContactsDlg::OnShowWindow(WPARAM show, LPARAM) {
  Default();
  if (show) {
    CString text;
    text.Format(DaybookText(471), m_model.FreeCount());
    PostStatusToLauncher(std::string_view(text, static_cast<std::size_t>(text.GetLength())));
  }
  return 0;
}
