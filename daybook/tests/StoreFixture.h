#pragma once
// The phone library as Daybook meets it, loaded by name in a home of the test's own and without a
// link service, with its PC-side store emptied before every test.
#include "GroupDefaults.h"
#include "support/ManagerHarness.h"

#include <gtest/gtest.h>

class StoreTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library.Load());
    manager = library.Start();
    ASSERT_NE(manager, nullptr);
    Empty();
  }

  // Every slot, group and cached list emptied.
  void Empty() {
    for (short g = 1; g <= daybook::kGroupCount; ++g) manager->PA_RemovePrivateGroup(g);
    for (short s = 0; s < daybook::kContactSlots; ++s) manager->PA_RemovePrivatePhoneBook(s);
    for (short s = 0; s < daybook::kScheduleSlots; ++s) manager->PA_RemovePrivateSchedule(s);
    for (short s = 0; s < daybook::kToDoSlots; ++s) manager->PA_RemovePrivateToDo(s);
    manager->PA_ClearResourceInfo(0);
    manager->PA_ClearResourceInfo(1);
  }

  PA_PHONEBOOK_INFO PutContact(short slot, const char* name, BYTE group = 0) {
    PA_PHONEBOOK_INFO c;
    c.strName = name;
    c.bGroup = group;
    EXPECT_EQ(manager->PA_PutPhoneBook(&c, slot), PA_OK) << name;
    return c;
  }

  PA_PHONEBOOK_INFO GetContact(short slot) {
    PA_PHONEBOOK_INFO c;
    manager->PA_GetPhoneBook(&c, slot);
    return c;
  }

  QuietLinkHome home;
  ManagerLibrary library;
  CManager* manager = nullptr;
};
