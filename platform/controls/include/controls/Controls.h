#pragma once
// Everything of the controls library: the standard controls, the common controls' registration, the
// clipboard, the message box, the progress bar, the tooltip, the
// list view with its header, and the status bar.
#include <controls/Button.h>
#include <controls/Clipboard.h>
#include <controls/ComboBox.h>
#include <controls/ComboBoxEx.h>
#include <controls/CommCtrl.h>
#include <controls/DateTime.h>
#include <controls/PropSheet.h>
#include <controls/Edit.h>
#include <controls/Header.h>
#include <controls/ListView.h>
#include <controls/ListBox.h>
#include <controls/MessageBox.h>
#include <controls/Static.h>
#include <controls/StatusBar.h>
#include <controls/ToolTip.h>
