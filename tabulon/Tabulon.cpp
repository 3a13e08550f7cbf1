// Tabulon's two entry points. Each switches to Tabulon's own module state (its dialogs, bitmaps and
// strings, whatever ids the calling program's resources use), builds the wizard's sheet around the
// caller's fields and records, runs it modally and returns its result: ID_WIZFINISH when finished,
// IDCANCEL when cancelled. No exception leaves the library.
#include "WizardSheet.h"

#include <kernel/Module.h>

namespace {

int RunWizard(bool exporting, int nFields, CSV_FIELD_INFO* fields, CSV_RECORD_LIST* list) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  try {
    CBitmap watermark;
    CBitmap header;
    watermark.LoadBitmap(IDB_WATERMARK);
    header.LoadBitmap(IDB_HEADER);
    CWizardSheet sheet(static_cast<HBITMAP>(watermark.GetSafeHandle()), static_cast<HBITMAP>(header.GetSafeHandle()),
                       exporting, nFields, fields, list);
    sheet.m_psh.hInstance = GetModuleHandleA(nullptr);  // the calling program's
    const INT_PTR result = sheet.DoModal();
    return result == ID_WIZFINISH ? ID_WIZFINISH : IDCANCEL;
  } catch (...) {
    return IDCANCEL;
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int dwCSVExportationWizard_DoModal(int nFields, CSV_FIELD_INFO* fields,
                                                                                     CSV_RECORD_LIST* list) {
  return RunWizard(true, nFields, fields, list);
}

extern "C" __attribute__((visibility("default"))) int dwCSVImportationWizard_DoModal(int nFields, CSV_FIELD_INFO* fields,
                                                                                     CSV_RECORD_LIST* list) {
  return RunWizard(false, nFields, fields, list);
}
