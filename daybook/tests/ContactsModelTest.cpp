// The contacts page's rules over the real PC-side store: slots, rows per group row, free counts,
// apply (single, several, refused), delete, the buttons, and the groups with their defaults.
#include "ContactsModel.h"
#include "StoreFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace daybook;

namespace {

class ContactsModelTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    made.emplace(*manager, "Group");
    model = &*made;
    model->StoreDefaultGroupNames();
  }
  std::vector<int> Slots(int groupRow) const {
    std::vector<int> slots;
    for (const ContactRow& row : model->Rows(groupRow)) slots.push_back(row.slot);
    return slots;
  }

  std::optional<CContactsModel> made;
  CContactsModel* model = nullptr;
};

TEST_F(ContactsModelTest, NewContactTakesTheFirstFreeSlotUntilAllAreUsed) {
  EXPECT_EQ(model->FreeSlot(), 0);
  PutContact(0, "a");
  PutContact(2, "b");
  EXPECT_EQ(model->FreeSlot(), 1);
  for (short slot = 0; slot < kContactSlots; ++slot) PutContact(slot, "x");
  EXPECT_EQ(model->FreeSlot(), -1);
  EXPECT_EQ(model->FreeCount(), 0);
}

TEST_F(ContactsModelTest, RowsFollowTheGroupRowAndTheFreeCountTheWholeStore) {
  PutContact(0, "none", 0);
  PutContact(1, "", 3);
  PutContact(7, "three", 3);
  PutContact(9, "nineteen", 19);
  struct Case {
    int groupRow;
    std::vector<int> slots;
  };
  const Case cases[] = {{0, {0, 1, 7, 9}}, {1, {0}}, {4, {1, 7}}, {20, {9}}, {2, {}}, {kNoRow, {}}};
  for (const Case& c : cases) EXPECT_EQ(Slots(c.groupRow), c.slots) << "group row " << c.groupRow;
  EXPECT_EQ(model->Rows(4)[0].name, CString(""));  // the page shows " <name>" for it
  EXPECT_EQ(model->FreeCount(), 496);
  EXPECT_TRUE(model->HasContacts());
}

TEST_F(ContactsModelTest, ButtonsFollowTheEditState) {
  struct Case {
    bool differs, newPending, rowSelected, listEmpty;
    ContactButtons expected;  // apply, cancel, new, delete, delete all
  };
  const Case cases[] = {
      {false, false, false, true, {false, false, true, false, false}},
      {false, false, true, false, {false, false, true, true, true}},
      {false, false, false, false, {false, false, true, false, true}},
      {true, false, true, false, {true, true, false, false, false}},
      {true, true, true, false, {true, true, false, false, false}},
      {false, true, true, false, {false, true, false, false, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ButtonsFor(c.differs, c.newPending, c.rowSelected, c.listEmpty), c.expected)
        << c.differs << c.newPending << c.rowSelected << c.listEmpty;
  }
}

TEST_F(ContactsModelTest, ApplyStoresTheFormAndMarksTheDocument) {
  ContactForm form;
  form.name = "Ada";
  form.numbers[1] = "+4412345";
  form.emails[0] = "ada@example.org";
  form.texts[1] = "note";
  form.group = 3;
  form.light = 4;
  form.pictureId = 200;
  ASSERT_TRUE(model->Apply(5, form));
  EXPECT_TRUE(model->Modified());
  EXPECT_FALSE(model->Differs(5, form));
  const PA_PHONEBOOK_INFO c = GetContact(5);
  EXPECT_STREQ(c.strNumber[1], "+4412345");
  EXPECT_STREQ(c.strText[1], "note");
  EXPECT_EQ(c.dwPictureId, 200u);
  form.name = "Ada L.";
  EXPECT_TRUE(model->Differs(5, form));
}

TEST_F(ContactsModelTest, ARefusedApplyNamesTheFieldAndStoresNothing) {
  PutContact(5, "Ada");
  struct Case {
    const char* what;
    int slot;
    ContactForm form;
    ContactField field;
    int index;
  };
  ContactForm number;
  number.name = "Grace";
  number.numbers[0] = "123";
  number.numbers[3] = "*#21*+1";
  ContactForm longName;
  longName.name = CString('x', 31);
  ContactForm longEmail;
  longEmail.name = "Grace";
  longEmail.emails[1] = CString('e', 65);
  ContactForm units;  // 40 bytes, but 80 of the phone's units
  units.name = "Grace";
  units.texts[1] = CString('[', 40);
  const Case cases[] = {
      {"number on an existing contact", 5, number, ContactField::Number, 3},
      {"text of two-unit characters", 5, units, ContactField::Text, 1},
      {"number on a new contact", 6, number, ContactField::Number, 3},
      {"name", 5, longName, ContactField::Name, 0},
      {"e-mail", 6, longEmail, ContactField::Email, 1},
  };
  for (const Case& c : cases) {
    model->SetModified(false);
    const PutResult result = model->Apply(c.slot, c.form);
    EXPECT_FALSE(result.stored) << c.what;
    EXPECT_EQ(result.field, c.field) << c.what;
    EXPECT_EQ(result.index, c.index) << c.what;
    EXPECT_FALSE(model->Modified()) << c.what;
    EXPECT_STREQ(GetContact(5).strName, "Ada") << c.what;
    EXPECT_STREQ(GetContact(5).strNumber[0], "") << c.what;
    EXPECT_EQ(GetContact(6).bValid, 0) << c.what;
  }
}

TEST_F(ContactsModelTest, ApplyOfSeveralChangesOnlyTheChosenValues) {
  PA_PHONEBOOK_INFO a = PutContact(1, "a", 2);
  a.dwMelodyId = 11;
  a.bChoice = 5;
  ASSERT_EQ(manager->PA_PutPhoneBook(&a, 1), PA_OK);
  PutContact(2, "b", 4);
  const std::vector<int> slots = {1, 2};

  ASSERT_TRUE(model->ApplyMany(slots, MultiChoice{}));
  EXPECT_EQ(GetContact(1).bGroup, 2);
  EXPECT_EQ(GetContact(1).dwMelodyId, 11u);
  EXPECT_EQ(GetContact(2).bGroup, 4);

  MultiChoice choice;
  choice.group = 7;
  choice.pictureId = 200;
  choice.melodyId = 0;  // entry 0 of the melody combo keeps the contacts' melodies
  ASSERT_TRUE(model->ApplyMany(slots, choice));
  for (int slot : slots) {
    EXPECT_EQ(GetContact(static_cast<short>(slot)).bGroup, 7);
    EXPECT_EQ(GetContact(static_cast<short>(slot)).dwPictureId, 200u);
  }
  EXPECT_EQ(GetContact(1).dwMelodyId, 11u);
  EXPECT_EQ(GetContact(1).bChoice, 5);
  EXPECT_TRUE(model->Modified());
}

TEST_F(ContactsModelTest, DeleteAllTakesOnlyWhatTheGroupRowLists) {
  struct Case {
    int groupRow;
    int deleted;
    int freeAfter;
  };
  const Case cases[] = {{kNoRow, 0, 496}, {4, 2, 498}, {1, 1, 497}, {0, 4, 500}, {10, 0, 496}};
  for (const Case& c : cases) {
    Empty();
    PutContact(0, "none", 0);
    PutContact(1, "a", 3);
    PutContact(2, "b", 3);
    PutContact(3, "c", 5);
    model->SetModified(false);
    EXPECT_EQ(model->DeleteAll(c.groupRow), c.deleted) << c.groupRow;
    EXPECT_EQ(model->FreeCount(), c.freeAfter) << c.groupRow;
    EXPECT_EQ(model->Modified(), c.deleted > 0) << c.groupRow;
  }
  PutContact(4, "d");
  PutContact(6, "e");
  const std::vector<int> slots = {4};
  model->Delete(slots);
  EXPECT_EQ(GetContact(4).bValid, 0);
  EXPECT_EQ(GetContact(6).bValid, 1);
}

TEST_F(ContactsModelTest, GroupDefaultsFillOnlyFieldsThatAreZero) {
  PA_PHONEBOOK_INFO own = PutContact(1, "own melody", 3);
  own.dwMelodyId = 50;
  ASSERT_EQ(manager->PA_PutPhoneBook(&own, 1), PA_OK);
  PutContact(2, "bare", 3);
  PutContact(3, "other group", 4);

  ASSERT_TRUE(model->SetGroupDefaults(3, 7, 9, 2));
  EXPECT_EQ(model->Defaults()[3], (GroupDefault{1, 7, 9, 2}));
  EXPECT_EQ(GetContact(1).dwMelodyId, 50u);
  EXPECT_EQ(GetContact(1).dwPictureId, 9u);
  EXPECT_EQ(GetContact(2).dwMelodyId, 7u);
  EXPECT_EQ(GetContact(2).bChoice, 2);
  EXPECT_EQ(GetContact(3).dwPictureId, 0u);

  // All three back to entry 0: the defaults go, no contact changes.
  model->SetModified(false);
  ASSERT_TRUE(model->SetGroupDefaults(3, 0, 0, 0));
  EXPECT_EQ(model->Defaults()[3].set, 0u);
  EXPECT_FALSE(model->Modified());
  EXPECT_EQ(GetContact(2).dwMelodyId, 7u);
}

TEST_F(ContactsModelTest, DropsOntoGroupRows) {
  model->SetGroupDefaults(0, 0, 0, 6);  // "No group" has a default light
  model->SetGroupDefaults(5, 33, 0, 0);
  struct Case {
    int dropRow;
    int group;  // the contacts' group afterwards
    DWORD melody;
    int light;
  };
  const Case cases[] = {{0, 2, 0, 0}, {kNoRow, 2, 0, 0}, {1, 0, 0, 6}, {6, 5, 33, 0}, {20, 19, 0, 0}};
  for (const Case& c : cases) {
    PutContact(1, "a", 2);
    PutContact(2, "b", 2);
    const std::vector<int> slots = {1, 2};
    ASSERT_TRUE(model->Drop(slots, c.dropRow));
    for (short slot : {1, 2}) {
      EXPECT_EQ(GetContact(slot).bGroup, c.group) << "row " << c.dropRow;
      EXPECT_EQ(GetContact(slot).dwMelodyId, c.melody) << "row " << c.dropRow;
      EXPECT_EQ(GetContact(slot).bChoice, c.light) << "row " << c.dropRow;
    }
  }
}

TEST_F(ContactsModelTest, ResetGivesDefaultNamesAndKeepsNoGroupsDefaults) {
  EXPECT_STREQ(model->GroupName(1), "Group 01");
  ASSERT_TRUE(model->RenameGroup(4, "Friends"));
  model->SetGroupDefaults(0, 1, 2, 3);
  model->SetGroupDefaults(4, 1, 2, 3);
  PutContact(1, "a", 4);
  model->ResetGroups();
  EXPECT_STREQ(model->GroupName(4), "Group 04");
  EXPECT_STREQ(model->GroupName(19), "Group 19");
  EXPECT_EQ(model->Defaults()[4].set, 0u);
  EXPECT_EQ(model->Defaults()[0], (GroupDefault{1, 1, 2, 3}));
  EXPECT_EQ(GetContact(1).bGroup, 4);
  EXPECT_TRUE(model->Modified());
}

TEST_F(ContactsModelTest, RenameIsCutToTheLimitWithoutSplittingACharacter) {
  struct Case {
    CString name;
    const char* stored;
  };
  const Case cases[] = {
      {"Family", "Family"},
      {CString('x', 21), "xxxxxxxxxxxxxxxxxxxxx"},
      {CString('x', 25), "xxxxxxxxxxxxxxxxxxxxx"},
      {"ÄÄÄÄÄÄÄÄÄÄÄ", "ÄÄÄÄÄÄÄÄÄÄ"},                  // 22 bytes: the eleventh goes whole
      {"xxxxxxxxxxxxxxxxxxx€", "xxxxxxxxxxxxxxxxxxx"},  // 19 + 3 bytes
  };
  for (const Case& c : cases) {
    const std::optional<CString> stored = model->RenameGroup(7, c.name);
    ASSERT_TRUE(stored) << c.stored;
    EXPECT_STREQ(*stored, c.stored);
    EXPECT_STREQ(model->GroupName(7), c.stored);
  }
  EXPECT_FALSE(model->RenameGroup(0, "All"));
  EXPECT_FALSE(model->RenameGroup(20, "x"));
}

TEST_F(ContactsModelTest, ClearAllEmptiesContactsAndGroupsButNotNoGroupsDefaults) {
  PutContact(3, "a", 2);
  model->RenameGroup(2, "Work");
  model->SetGroupDefaults(2, 1, 1, 1);
  model->SetGroupDefaults(0, 1, 1, 1);
  model->ClearAll();
  EXPECT_FALSE(model->HasContacts());
  EXPECT_STREQ(model->GroupName(2), "Group 02");
  EXPECT_EQ(model->Defaults()[2].set, 0u);
  EXPECT_EQ(model->Defaults()[0].set, 1u);
}

}  // namespace
