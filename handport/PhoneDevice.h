#pragma once
// The phone object the library makes for each store side: the model's answers, and the operations
// on the phone's multimedia folders and files, its stored messages and its i-mode mails. Each
// operation is a short run of phone commands through the link engine that fills or reads the
// records and caches it is given.
//
// Operations return 1, or 0 with the thread's last error (ERROR_LINK_DOWN, ERROR_PA_CANCELLED,
// ERROR_PA_EXISTS, ERROR_PHONE_BAD_REPLY, ERROR_PHONE_NO_REPLY and the others of the engine).
#include "LinkEngine.h"
#include "MessageCache.h"
#include "PhoneBase.h"
#include "ResourceCache.h"

#include <handport/PhoneRecords.h>

#include <vector>

class CPhoneDevice final : public CPhoneBase {
 public:
  // Its record arrays are sized to the model from the start.
  explicit CPhoneDevice(CLinkEngine& engine) : CPhoneBase(&engine), m_engine(engine) { SetPhoneType(GetPhoneType()); }

  int GetPhoneType() const override { return 64; }
  CString GetModelCode() const override { return "00102"; }
  int GetModelFlag() const override { return 1; }
  int GetCapacity(int parameter) const override;

  // The whole-phone plans with the media arrays' terms added.
  int EstimateWriteTime(int* steps, int* estimate) const override;

  // --- multimedia files and folders ---
  // Brings down file `index` of `folder` into a new buffer of NewDataArray, which the record then
  // owns: data, size, file name, title, folder id, file id, and `index` as its index.
  int DownloadResource(PA_RESOURCE_INFO& record, int folder, int index, int option, const TransferControl& control);
  // Sends the record's bytes as a new file into its folder, in chunks of the engine's upload
  // chunk size. On success, and when the folder holds the name already (ERROR_PA_EXISTS), the
  // record's index becomes the folder's file count before the upload and its file id the id the
  // phone gave.
  int UploadResource(PA_RESOURCE_INFO& record, const TransferControl& control);
  int GetNumSubfolders(int folder, int& count);
  // Sub-folder `index` of `folder`; the record's folder id becomes `folder`.
  int GetFolderInfo(PA_FOLDER_INFO& record, int folder, int index);
  int GetNumResources(int folder, int option, int& count);
  int GetResourceInfo(PA_RESOURCE_INFO& record, int folder, int index, int option);
  int DeleteResource(int fileId);
  int DeleteFolder(int first, int second);
  // Creates the record's name under the record's folder id. On success, and when a folder of that
  // name is there (ERROR_PA_EXISTS), the record's type and number come from the phone (both
  // 0xFFFFFFFF when it names none).
  int CreateFolder(PA_FOLDER_INFO& record);
  // Lists main folder `type` (0 Pictures, 1 Sounds, 2 Movies) and its sub-folders into the
  // type's cache, in display-name order: the main folder's root text ("Pictures", "Sounds", none
  // for movies), a backslash and a name per sub-folder level, a backslash and the file name. A
  // failure ends the listing; what was inserted stays. Another type is ERROR_INVALID_PARAMETER.
  int ListFolder(CResourceCaches& caches, int type, int option);
  int RenameFile(const PA_RESOURCE_INFO& record);
  int MoveFile(int fileId, int folder);

  // --- stored messages and i-mode mails ---
  // Empties the cache (freeing its bytes), then reads every message of boxes 1 to 3 into it.
  int DownloadMessages(CMessageStore& cache, const TransferControl& control);
  // Empties on the phone each box the cache holds messages of, then writes the cached messages,
  // numbered from 0 within their box and sub-folder.
  int UploadMessages(const CMessageStore& cache, const TransferControl& control);
  // Empties the cache, then reads the mails of kinds 0 to 5, and the mail flash file (1, 100) as
  // one record of box 100 when it holds bytes.
  int DownloadIModeMessages(CIModeStore& cache, const TransferControl& control);
  // Writes the cached mails anew; the records of box 100 go to the mail flash file. An empty cache
  // sends nothing.
  int UploadIModeMessages(const CIModeStore& cache, const TransferControl& control);

 protected:
  int ReadStepsOf(DWORD kind) const override;
  void WriteStepsOf(DWORD kind, int& steps, long long& bytes) const override;
  // The media arrays' flash files: A, B and D one file per item (a 28-byte header, then the
  // data); C a header file and one file per item that holds data, numbered in turn from 1, so
  // that the header's count names them.
  int ReadMediaArray(DWORD kind, CStepMeter& meter) override;
  int WriteMediaArray(DWORD kind, CStepMeter& meter) override;

 private:
  int ListSubfolders(CResourceCaches& caches, int type, int folder, int option, const CString& path,
                     std::vector<int>& ancestors);

  CLinkEngine& m_engine;
};
