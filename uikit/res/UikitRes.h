// The ids of the kit's own resources (Uikit.rc). A program that uses them includes Uikit.rc from its
// own resource script, so they are found where the program's resources are.
#pragma once

// Command images: a toolbar record and the bitmap of the same id.
#define IDR_UIKIT_COMMANDS 30001    // 16 x 15, 16 colours: open, save, delete
#define IDR_UIKIT_COMMANDS20 30002  // 20 x 20, true colour on magenta: connect, settings

// A push button's faces: hovered or pressed, and idle (true colour on magenta).
#define IDB_UIKIT_PHONE_IN 30010
#define IDB_UIKIT_PHONE_OUT 30011

// The commands the images belong to (the class library's standard ids where one exists).
#define ID_UIKIT_OPEN 0xE101
#define ID_UIKIT_SAVE 0xE103
#define ID_UIKIT_DELETE 0xE120
#define ID_UIKIT_CONNECT 0x7E01
#define ID_UIKIT_SETTINGS 0x7E02
