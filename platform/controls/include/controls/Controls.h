#pragma once
// Everything of the controls library: the standard controls, the common controls' registration, the
// clipboard and the message box.
#include <controls/Button.h>
#include <controls/Clipboard.h>
#include <controls/ComboBox.h>
#include <controls/CommCtrl.h>
#include <controls/Edit.h>
#include <controls/ListBox.h>
#include <controls/MessageBox.h>
#include <controls/Static.h>
