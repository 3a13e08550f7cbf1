#pragma once
// Everything of the drawing module.
#include <gdi/GdiTypes.h>
#include <gdi/DeviceContext.h>
#include <gdi/Objects.h>
#include <gdi/Bitmaps.h>
#include <gdi/Shapes.h>
#include <gdi/Region.h>
#include <gdi/Rect.h>
#include <gdi/SysParams.h>
#include <gdi/Surface.h>
#include <gdi/Text.h>
#include <gdi/Icon.h>
#include <gdi/ImageList.h>
#include <gdi/Frames.h>
#include <gdi/Unique.h>
