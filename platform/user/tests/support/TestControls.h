#pragma once
// Small stand-ins for the controls the dialog manager works with (the real ones come with the
// controls module): a push button, a check box, a radio button, an edit, a label and a coloured
// panel. Their messages are recorded like the recording class's.
namespace testing_user {

void RegisterTestControls();

// Control ids of the test dialog 100 (tests/data/user.rc).
enum : int {
  kLabel = 200, kEdit = 201, kRadioOne = 202, kRadioTwo = 203, kRadioThree = 204, kCheck = 205, kHiddenButton = 206,
};

}  // namespace testing_user
