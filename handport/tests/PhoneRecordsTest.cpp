// The records are compiled into every application and written field by field by the backup
// program: pin the widths and signedness that separately built programs rely on.
#include <handport/Handport.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <type_traits>

static_assert(std::is_same_v<decltype(PA_PHONEBOOK_INFO::wPhoneFlag), WORD>);
static_assert(std::is_same_v<decltype(PA_PHONEBOOK_INFO::dwPictureId), DWORD>);
static_assert(std::is_same_v<decltype(PA_SCHEDULE_INFO::sReserved5), SHORT>);
static_assert(std::is_same_v<decltype(PA_FOLDER_INFO::lFolderId), LONG>);
static_assert(sizeof(PA_TODO_INFO::tmDue) == 4);
static_assert(sizeof(PA_PROGRESS_CALLBACK) == sizeof(void*));

TEST(PhoneRecords, FieldsKeepTheirOrderWithNaturalAlignment) {
  EXPECT_EQ(offsetof(PA_PHONEBOOK_INFO, bValid), 8u);
  EXPECT_EQ(offsetof(PA_PHONEBOOK_INFO, strName) % alignof(CString), 0u);
  EXPECT_LT(offsetof(PA_PHONEBOOK_INFO, bGroup), offsetof(PA_PHONEBOOK_INFO, dwPictureId));
  EXPECT_EQ(offsetof(PA_PHONEBOOK_INFO, dwPictureId) % 4, 0u);
  EXPECT_EQ(offsetof(PA_PHONEBOOK_INFO, bGroup) - offsetof(PA_PHONEBOOK_INFO, strText), 2 * sizeof(CString));
  EXPECT_EQ(offsetof(PA_MESSAGE_INFO, dwLength), 12u);
  EXPECT_EQ(offsetof(PA_MESSAGE_INFO, pData) % alignof(void*), 0u);
  EXPECT_EQ(offsetof(PA_IMODE_INFO, pData), offsetof(PA_MESSAGE_INFO, pData));
}

TEST(PhoneRecords, ResultCodesHaveTheirInterfaceValues) {
  EXPECT_EQ(PA_OUT_OF_RANGE, 4);
  EXPECT_EQ(PA_MS_CANCELLED, 7);
  EXPECT_EQ(PA_MS_EXISTS, 14);
  EXPECT_EQ(ERROR_LINK_DOWN, 0x20000028u);
  EXPECT_EQ(ERROR_PA_OTHER_MODEL, 0x90000004u);
}
