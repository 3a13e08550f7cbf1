// The wizard's sheet: see WizardSheet.h.
#include "WizardSheet.h"

CWizardSheet::CWizardSheet(HBITMAP watermark, HBITMAP header, bool exporting, int nFields, CSV_FIELD_INFO* fields,
                           CSV_RECORD_LIST* list)
    : CPropertySheet("CSV Wizard", nullptr, 0, watermark, nullptr, header),
      m_mappingPage(nFields > 0 ? nFields : 0),
      m_mapping(static_cast<std::size_t>(nFields > 0 ? nFields : 0), -1),
      m_exporting(exporting),
      m_nFields(nFields > 0 && fields ? nFields : 0),
      m_fields(fields),
      m_list(list) {
  m_settings.Load();  // keys that cannot be made leave no remembered files
  for (CTabulonPage* page : {static_cast<CTabulonPage*>(&m_configPage), static_cast<CTabulonPage*>(&m_mappingPage),
                             static_cast<CTabulonPage*>(&m_progressPage), static_cast<CTabulonPage*>(&m_reportPage),
                             static_cast<CTabulonPage*>(&m_lastPage)})
    page->SetSheet(this);
  AddPage(&m_configPage);
  AddPage(&m_mappingPage);
  AddPage(&m_progressPage);
  AddPage(&m_reportPage);
  AddPage(&m_lastPage);
}

CWizardSheet::~CWizardSheet() { m_settings.Save(); }

std::span<const CSV_FIELD_INFO> CWizardSheet::Fields() const {
  return {m_fields, static_cast<std::size_t>(m_nFields)};
}
