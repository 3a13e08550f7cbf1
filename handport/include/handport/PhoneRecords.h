#pragma once
// The records that cross the CManager interface, and its result codes. Every application of the
// suite compiles these, and the backup program writes them field by field, so field order, widths
// and signedness are fixed; each field keeps the platform's natural alignment.
//
// Fields named dwReserved*, bReserved*, strReserved* are carried: the library neither reads nor
// writes them on the store operations (a Get leaves them as the caller had them, a Put does not
// store them); the caches copy whole records, carried fields included.
#include <framework/Afx.h>

// Results of the operations on the PC-side store and the caches (no phone traffic).
enum PA_RESULT : int {
  PA_OK = 0,
  PA_NULL_POINTER = 1,   // a required pointer argument was null
  PA_EMPTY_SLOT = 3,     // reading: the slot is empty; writing: the record could not be stored
  PA_OUT_OF_RANGE = 4,   // slot number, index or resource type out of range
};

// Results of the operations that reach the phone or the phone-side store.
enum PA_MS_RESULT : int {
  PA_MS_OK = 0,
  PA_MS_LINK_DOWN = 1,          // no link to the phone, or its command mode could not be reached
  PA_MS_FAILED = 2,             // the phone operation failed
  PA_MS_OUT_OF_RANGE = 5,       // slot number or index out of range
  PA_MS_NOT_SUPPORTED = 6,      // the operation is not supported
  PA_MS_CANCELLED = 7,          // cancelled by PA_CancelTransfer
  PA_MS_NO_SIM = 8,             // "SIM=NG"
  PA_MS_PHONE_LOCKED = 9,       // "PhoneLock=ON"
  PA_MS_DAYBOOK_LOCKED = 10,    // "DaybookLock=ON"
  PA_MS_LOCK_UNKNOWN = 11,      // the lock state could not be determined
  PA_MS_PHONE_NOT_SUPPORTED = 12,  // refused the command mode, or its software does not match the build
  PA_MS_OTHER_MODEL = 13,       // another model than configured, or an unknown build letter
  PA_MS_EXISTS = 14,            // the folder or file exists on the phone already
};

// The contact fields, for GetContactMaxFieldSize.
enum PA_CONTACT_FIELD : int {
  PA_CONTACT_NAME = 0,
  PA_CONTACT_READING = 1,
  PA_CONTACT_NUMBER1 = 2,  // numbers 1 to 7 are 2 to 8
  PA_CONTACT_NUMBER7 = 8,
  PA_CONTACT_BYTE1 = 9,    // four one-byte fields, 9 to 12
  PA_CONTACT_BYTE4 = 12,
  PA_CONTACT_EMAIL1 = 13,
  PA_CONTACT_EMAIL2 = 14,
  PA_CONTACT_TEXT1 = 15,
  PA_CONTACT_TEXT2 = 16,
};

// The to-do fields, for GetToDoMaxDescriptionSize: 0 the description, 1 and 2 one-unit fields of
// both layouts, 3 to 6 fields of the extended layout only.
enum PA_TODO_FIELD : int {
  PA_TODO_DESCRIPTION = 0,
  PA_TODO_UNIT1 = 1,
  PA_TODO_UNIT2 = 2,
  PA_TODO_EXTENDED1 = 3,
  PA_TODO_EXTENDED4 = 6,
};

// Called during every transfer loop with (total, current position, the caller's pointer); its
// result is ignored.
using PA_PROGRESS_CALLBACK = int (*)(int total, int current, void* user);

// One contact group; slots 1 to 19.
struct PA_GROUP_INFO {
  BYTE bExists = 0;  // 1 when the group has a name
  CString strName;   // at most 21 bytes in the phone's UTF-8
};

// One contact; slots 0 to 499.
struct PA_PHONEBOOK_INFO {
  DWORD dwReserved1 = 0;
  DWORD dwReserved2 = 0;
  BYTE bValid = 0;
  BYTE bReserved3 = 0;
  CString strName;
  CString strNumber[7];  // only "0123456789+#P*?" survive the phone's packed number layout
  CString strEmail[2];
  CString strText[2];
  BYTE bGroup = 0;       // 1 to 19; 0 no group
  BYTE bChoice = 0;      // 1 to 14; 0 none
  BYTE bReserved4 = 0;
  BYTE bReserved5 = 0;
  DWORD dwPictureId = 0;  // file id of a Pictures resource; 0 none
  DWORD dwMelodyId = 0;   // file id of a Sounds resource; 0 none
  DWORD dwReserved6 = 0;
  DWORD dwReserved7 = 0;
  CString strReserved1;
  CString strReserved2;
  WORD wPhoneFlag = 0;   // written on reading only
  CString strReading;    // the second form of the name
  CString strReserved3;
  CString strReserved4;
  CString strReserved5;
  DWORD dwReserved8 = 0;
};

// One schedule entry.
struct PA_SCHEDULE_INFO {
  DWORD dwReserved1 = 0;
  DWORD dwReserved2 = 0;
  BYTE bValid = 0;
  BYTE bReserved3 = 0;
  CString strDescription;  // at most 64 bytes, 256 with the extended layouts
  CTime tmStart;           // minute resolution
  BYTE bAlarm = 0;
  BYTE bRepeat = 0;        // 0 once, 1 daily, 2 weekly, 3 monthly
  CString strReserved;
  BYTE bReserved4 = 0;
  BYTE bPrivate = 0;
  CString strMelodyName;   // kept on the PC side only
  SHORT sReserved5 = 0;
  DWORD dwMelodyId = 0;
  DWORD dwReserved6 = 0;
};

// One to-do item.
struct PA_TODO_INFO {
  DWORD dwReserved1 = 0;
  DWORD dwReserved2 = 0;
  BYTE bValid = 0;
  BYTE bReserved3 = 0;
  CString strDescription;  // at most 32 bytes, 256 with the extended layouts
  CTime tmStart;
  CTime tmDue;
  BYTE bStatus = 0;
  BYTE bPriority = 0;  // 0 to 2; extended layout only
  BYTE bCategory = 0;  // 0 to 2; extended layout only
  BYTE bPrivate = 0;   // extended layout only
  BYTE bReserved4 = 0;
};

// One multimedia file on the phone.
struct PA_RESOURCE_INFO {
  DWORD dwReserved1 = 0;
  DWORD dwReserved2 = 0;
  BYTE bReserved3 = 0;
  BYTE bReserved4 = 0;
  DWORD dwAttribute = 0;
  DWORD dwIndex = 0;       // position in its folder
  DWORD dwFileId = 0;      // the key by which contacts and schedule entries refer to the file
  CString strTitle;
  CString strFileName;
  CString strDisplayName;  // the key by which the cached lists are ordered
  DWORD dwReserved5 = 0;
  DWORD dwSize = 0;        // bytes of the file and of pData
  DWORD dwFolderId = 0;
  DWORD dwReserved6 = 0;
  BYTE* pData = nullptr;   // from PA_DownloadResource: the caller frees it with DeleteDataArray
};

// One folder on the phone.
struct PA_FOLDER_INFO {
  DWORD dwReserved = 0;
  DWORD dwAttributes = 0;  // 0x11, 0x13, plus 0x10 (see the folder query)
  DWORD dwType = 0;        // 0 Pictures, 1 Sounds, 2 Movies
  DWORD dwNumber = 0;      // the folder's own number
  CString strName;
  LONG lFolderId = 0;      // the folder the query was made for; -1 for a main folder
};

// One stored message (PA_MESSAGE_INFO) or i-mode mail (PA_IMODE_INFO).
struct PA_MESSAGE_INFO {
  DWORD dwValid = 0;
  DWORD dwBox = 0;     // messages: box 1 to 3; mail: the mail kind
  DWORD dwFolder = 0;  // messages: sub-folder 0 to 6; mail: the mail number
  DWORD dwLength = 0;
  BYTE* pData = nullptr;
};
struct PA_IMODE_INFO {
  DWORD dwValid = 0;
  DWORD dwBox = 0;
  DWORD dwFolder = 0;
  DWORD dwLength = 0;
  BYTE* pData = nullptr;
};

// Declared for PA_GetPhoneInfo and PA_GetSupportTypes, which fill nothing.
struct PA_PHONE_INFO {};
struct PA_RESOURCE_TYPE {};
