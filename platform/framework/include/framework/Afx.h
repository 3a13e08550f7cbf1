#pragma once
// The class library as a whole, for code that uses it the way it was written for Windows.
#include <base/Base.h>
#include <framework/Object.h>
#include <framework/String.h>
#include <framework/Time.h>
#include <framework/Array.h>
#include <framework/File.h>
#include <framework/AsyncSocket.h>
