#pragma once
// Everything of the window manager.
#include <user/Styles.h>
#include <user/Messages.h>
#include <user/Window.h>
#include <user/WindowPos.h>
#include <user/Paint.h>
#include <user/Input.h>
#include <user/Dialog.h>
#include <user/Menu.h>
#include <user/Cursor.h>
#include <user/Headless.h>
#include <user/DisplayBackend.h>
