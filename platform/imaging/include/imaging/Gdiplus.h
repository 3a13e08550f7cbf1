#pragma once
// Everything of the image library.
#include <imaging/Com.h>
#include <imaging/GdiplusTypes.h>
#include <imaging/Startup.h>
#include <imaging/Image.h>
#include <imaging/Graphics.h>
