// Documents and the single-document template.
#include <framework/App.h>
#include <framework/Doc.h>
#include <framework/Frame.h>
#include <framework/View.h>

#include "ThreadState.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CDocument, CCmdTarget)
IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocument::~CDocument() {
  for (CView* view : m_viewList) view->m_pDocument = nullptr;
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  return TRUE;
}

void CDocument::OnCloseDocument() {
  // Every frame that shows this document goes; the views leave the list as their windows do.
  std::vector<CFrameWnd*> frames;
  for (CView* view : m_viewList) {
    if (CFrameWnd* frame = view->GetParentFrame(); frame && std::find(frames.begin(), frames.end(), frame) == frames.end())
      frames.push_back(frame);
  }
  for (CFrameWnd* frame : frames) frame->DestroyWindow();
  DeleteContents();
}

void CDocument::SetTitle(LPCSTR title) { m_strTitle = title; }

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject) {
  for (CView* view : std::vector<CView*>(m_viewList)) {
    if (view != sender) view->OnUpdate(sender, hint, hintObject);
  }
}

void CDocument::AddView(CView* view) {
  if (view->m_pDocument == this) return;
  m_viewList.push_back(view);
  view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view) {
  std::erase(m_viewList, view);
  if (view->m_pDocument == this) view->m_pDocument = nullptr;
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

CDocTemplate::CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                           const CRuntimeClass* viewClass)
    : m_nIDResource(resourceId), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass) {}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc, CFrameWnd*) {
  std::unique_ptr<CObject> made = m_pFrameClass->CreateObject();
  if (!made || !made->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return nullptr;
  auto* frame = static_cast<CFrameWnd*>(made.release());
  tolvar::framework::AdoptWindowObject(std::unique_ptr<CWnd>(frame));
  CCreateContext context;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pCurrentDoc = doc;
  context.m_pNewDocTemplate = this;
  context.m_pCurrentFrame = frame;
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
    tolvar::framework::ReleaseWindowObject(frame);  // when its window never came to be
    return nullptr;
  }
  return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible) {
  frame->InitialUpdateFrame(doc, makeVisible);
}

CSingleDocTemplate::~CSingleDocTemplate() = default;

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCSTR, BOOL makeVisible) {
  if (m_pOnlyDoc) return m_pOnlyDoc->OnNewDocument() ? m_pOnlyDoc.get() : nullptr;
  std::unique_ptr<CObject> made = m_pDocClass->CreateObject();
  if (!made || !made->IsKindOf(RUNTIME_CLASS(CDocument))) return nullptr;
  m_pOnlyDoc.reset(static_cast<CDocument*>(made.release()));
  m_pOnlyDoc->m_pDocTemplate = this;
  CWinApp* app = AfxGetApp();
  bool firstFrame = app && !app->m_pMainWnd;
  CFrameWnd* frame = CreateNewFrame(m_pOnlyDoc.get(), nullptr);
  if (!frame) {
    m_pOnlyDoc.reset();
    return nullptr;
  }
  if (firstFrame) app->m_pMainWnd = frame;
  if (!m_pOnlyDoc->OnNewDocument()) {
    frame->DestroyWindow();
    m_pOnlyDoc.reset();
    return nullptr;
  }
  InitialUpdateFrame(frame, m_pOnlyDoc.get(), makeVisible);
  return m_pOnlyDoc.get();
}

void CSingleDocTemplate::CloseAllDocuments(BOOL) {
  if (!m_pOnlyDoc) return;
  m_pOnlyDoc->OnCloseDocument();
  m_pOnlyDoc.reset();
}
