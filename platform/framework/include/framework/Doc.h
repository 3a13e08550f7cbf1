#pragma once
// Documents and their templates. The suite's documents carry no data of their own; a single-document
// template makes the one document, the frame and its view, and routes commands from the document to
// itself.
#include <framework/CmdTarget.h>
#include <framework/String.h>

#include <memory>
#include <vector>

class CView;
class CFrameWnd;
class CDocTemplate;

class CDocument : public CCmdTarget {
  DECLARE_DYNCREATE(CDocument)

public:
  CDocument() = default;
  ~CDocument() override;

  virtual BOOL OnNewDocument();
  virtual void OnCloseDocument();
  virtual void DeleteContents() {}
  const CString& GetTitle() const { return m_strTitle; }
  virtual void SetTitle(LPCSTR title);
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  // Calls OnUpdate of every view but `sender`.
  void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);
  void AddView(CView* view);
  void RemoveView(CView* view);
  const std::vector<CView*>& GetViews() const { return m_viewList; }
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

  CString m_strTitle;
  CDocTemplate* m_pDocTemplate = nullptr;

protected:
  std::vector<CView*> m_viewList;
};

class CDocTemplate : public CCmdTarget {
  DECLARE_DYNAMIC(CDocTemplate)

public:
  CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
               const CRuntimeClass* viewClass);

  // A new document with its frame and view; the path is ignored (the suite opens no files this
  // way). Null when a part could not be made.
  virtual CDocument* OpenDocumentFile(LPCSTR path, BOOL makeVisible = TRUE) = 0;
  virtual void CloseAllDocuments(BOOL endSession) = 0;
  CFrameWnd* CreateNewFrame(CDocument* doc, CFrameWnd* other);
  void InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible = TRUE);

  UINT m_nIDResource;
  const CRuntimeClass* m_pDocClass;
  const CRuntimeClass* m_pFrameClass;
  const CRuntimeClass* m_pViewClass;
};

class CSingleDocTemplate : public CDocTemplate {
  DECLARE_DYNAMIC(CSingleDocTemplate)

public:
  CSingleDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                     const CRuntimeClass* viewClass)
      : CDocTemplate(resourceId, docClass, frameClass, viewClass) {}
  ~CSingleDocTemplate() override;

  CDocument* OpenDocumentFile(LPCSTR path, BOOL makeVisible = TRUE) override;
  void CloseAllDocuments(BOOL endSession) override;
  CDocument* GetDocument() const { return m_pOnlyDoc.get(); }

private:
  std::unique_ptr<CDocument> m_pOnlyDoc;
};
