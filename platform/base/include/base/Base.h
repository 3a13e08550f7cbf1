#pragma once
// Everything of the base module.
#include <base/WinDef.h>
#include <base/WinError.h>
#include <base/LastError.h>
#include <base/CodePage.h>
#include <base/Time.h>
#include <base/Home.h>
