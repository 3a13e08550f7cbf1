#include "PhoneBase.h"

#include <kernel/Object.h>
#include <kernel/Sync.h>

#include <algorithm>
#include <iterator>

namespace {

struct Capacity {
  int parameter;
  int value;
};
// Parameters not listed are 0.
constexpr Capacity kBaseCapacities[] = {
    {0, 19},  {1, 42},  {2, 20},  {3, 500}, {4, 524}, {5, 7},   {6, 2},   {7, 2},   {8, 20},  {9, 30},
    {10, 20}, {11, 50}, {12, 32}, {13, 13}, {14, 10}, {15, 600}, {16, 76}, {17, 32}, {21, 100}, {22, 80},
    {23, 32}, {32, 10}, {33, 10}, {39, 64},
};

struct FlashFiles {
  int kind;
  int first;
  int second;
};
constexpr FlashFiles kFlashFiles[] = {
    {0, 106, 110},   {210, 256, 0},  {220, 256, 0},  {1000, 99, 3},  {1001, 100, 0}, {2000, 102, 4},
    {2001, 103, 0},  {5000, 111, 67}, {6000, 111, 22}, {7000, 111, 0}, {8000, 111, 42}, {9050, 3, 4096},
    {9051, 108, 111}, {9052, 1, 1},
};

const FlashFiles* FlashFilesOf(int kind) {
  const auto found = std::find_if(std::begin(kFlashFiles), std::end(kFlashFiles),
                                  [kind](const FlashFiles& files) { return files.kind == kind; });
  return found == std::end(kFlashFiles) ? nullptr : found;
}

}  // namespace

CPhoneBase::CPhoneBase() : CPhoneBase(nullptr) {}

CPhoneBase::CPhoneBase(CLinkEngine* client) : m_client(client), m_cancel(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

CPhoneBase::~CPhoneBase() = default;

int CPhoneBase::GetCapacity(int parameter) const {
  const auto found = std::find_if(std::begin(kBaseCapacities), std::end(kBaseCapacities),
                                  [parameter](const Capacity& capacity) { return capacity.parameter == parameter; });
  return found == std::end(kBaseCapacities) ? 0 : found->value;
}

int CPhoneBase::GetFirstFileNumber(int kind) const {
  const FlashFiles* files = FlashFilesOf(kind);
  return files ? files->first : 0;
}

int CPhoneBase::GetSecondFileNumber(int kind) const {
  const FlashFiles* files = FlashFilesOf(kind);
  return files ? files->second : 0;
}

CString CPhoneBase::GetDateTimeFormat(int which) const {
  if (which == 0) return "yyyy'/'MM'/'dd";
  if (which == 1) return "HH':'mm";
  return {};
}

void CPhoneBase::Cancel() { SetEvent(m_cancel.Get()); }
