#pragma once
// The report page, which ends the wizard with Finish, and the last page, which only offers Finish
// and is never reached (the report page finishes first).
#include "TabulonPage.h"

class CReportPage : public CTabulonPage {
public:
  CReportPage() : CTabulonPage(IDD_REPORT) {}
  BOOL OnSetActive() override;
  BOOL OnQueryCancel() override { return FALSE; }
};

class CLastPage : public CTabulonPage {
public:
  CLastPage() : CTabulonPage(IDD_LAST, true) {}
  BOOL OnSetActive() override;
};
