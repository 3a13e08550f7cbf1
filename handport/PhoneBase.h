#pragma once
// The phone object of a store side: what it knows of the phone model (its type number, model code
// and the capacities and flash-file numbers of its data kinds), its reply time-out, and the cancel
// event that stops a transfer between two chunks. CPhoneDevice, the one class the library makes,
// adds the model's answers and the media and message operations.
#include <base/WinDef.h>
#include <framework/Afx.h>

class CPhoneBase {
 public:
  CPhoneBase();
  virtual ~CPhoneBase();
  CPhoneBase(const CPhoneBase&) = delete;
  CPhoneBase& operator=(const CPhoneBase&) = delete;

  // --- the model ---
  // The phone type number that the phone data file carries.
  virtual int GetPhoneType() const = 0;
  virtual CString GetModelCode() const = 0;
  // A capacity by parameter number (slots and record sizes of the data kinds); 0 for a number the
  // model does not know.
  virtual int GetCapacity(int parameter) const;
  // The flash file (first number, second number) that holds a data kind; 0 and 0 for a kind that
  // has none.
  int GetFirstFileNumber(int kind) const;
  int GetSecondFileNumber(int kind) const;

  void SetReplyTimeout(int milliseconds) { m_replyTimeout = milliseconds; }
  int GetReplyTimeout() const { return m_replyTimeout; }

  // The date format for 0, the time format for 1, else the empty text.
  CString GetDateTimeFormat(int which) const;

  // --- the cancel event: auto-reset, not set at first; a transfer that sees it set stops and
  // takes the signal ---
  void Cancel();
  HANDLE GetCancelEvent() const { return m_cancel; }

  const CString& GetPort() const { return m_port; }
  const CString& GetModel() const { return m_model; }
  const CString& GetSerialNumber() const { return m_serialNumber; }

 private:
  CString m_port = "COM1";
  CString m_model = "UNKNOWN";
  CString m_serialNumber;
  int m_replyTimeout = 3000;
  HANDLE m_cancel = nullptr;
};
