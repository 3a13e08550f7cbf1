// The library's C exports: each switches to the library's own resources (its strings and the kit's
// message box it carries) and forwards to theInterlex. No exception leaves a C export.
#include "Interlex.h"

#include <StringLoader.h>

#include <framework/ModuleState.h>

#include <new>

#define INTERLEX_EXPORT extern "C" __attribute__((visibility("default")))

// The texts come from Glossa's section of Daybook, else from the library's own string table.
static CStringLoader g_strings("Daybook");

CInterlex theInterlex;

namespace {

template <class Array, class Operation>
int RunImport(Array** out, Operation operation) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (!out) return 0;
  // The array is the caller's to release from here on, also when the person cancels.
  *out = new (std::nothrow) Array;
  if (!*out) return 0;
  try {
    return operation(*out);
  } catch (...) {
    return 0;
  }
}

template <class Operation>
int RunExport(Operation operation) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  try {
    return operation();
  } catch (...) {
    return 0;
  }
}

template <class Array>
void Release(Array** array) {
  if (!array) return;
  delete *array;  // through the array's virtual destructor
  *array = nullptr;
}

}  // namespace

INTERLEX_EXPORT int fnVCardImport(CPhoneBookArray** out, HWND owner) {
  return RunImport(out, [owner](CPhoneBookArray* a) { return theInterlex.VcardImportAll(a, owner); });
}
INTERLEX_EXPORT int fnVCardExport(CPhoneBookArray* records, HWND owner) {
  return RunExport([&] { return theInterlex.VcardExportAll(records, owner); });
}
INTERLEX_EXPORT int fnVCalendarImport(CScheduleArray** out, HWND owner) {
  return RunImport(out, [owner](CScheduleArray* a) { return theInterlex.VcalenderImportAll(a, owner); });
}
INTERLEX_EXPORT int fnVCalendarExport(CScheduleArray* records, HWND owner) {
  return RunExport([&] { return theInterlex.VcalendarExportAll(records, owner); });
}
INTERLEX_EXPORT int fnVCalendarTodoImport(CToDoArray** out, HWND owner) {
  return RunImport(out, [owner](CToDoArray* a) { return theInterlex.VcalenderTodoImportAll(a, owner); });
}
INTERLEX_EXPORT int fnVCalendarTodoExport(CToDoArray* records, HWND owner) {
  return RunExport([&] { return theInterlex.VcalendarTodoExportAll(records, owner); });
}
INTERLEX_EXPORT void fnVCardRelease(CPhoneBookArray** array) { Release(array); }
INTERLEX_EXPORT void fnVCalendarRelease(CScheduleArray** array) { Release(array); }
INTERLEX_EXPORT void fnVCalendarTodoRelease(CToDoArray** array) { Release(array); }
