#pragma once
// Stand-ins for the standard "Button", "Edit" and "Static" controls, which come with the controls
// module: enough for dialogs of the class library's tests to be made, clicked and looked at. They
// paint (a raised face, a sunken white field, plain text), keep a check state, and tell their
// parent about a click with WM_COMMAND BN_CLICKED. Added as a class provider once per process.
namespace testing_framework {

void AddStandInControls();

}  // namespace testing_framework
