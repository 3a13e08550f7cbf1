#pragma once
// CVezezudaraDoc: the document a single-document frame needs; the launcher keeps no data in it.
#include <framework/Afx.h>

class CVezezudaraDoc : public CDocument {
  DECLARE_DYNCREATE(CVezezudaraDoc)
};
