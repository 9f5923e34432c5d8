// Bitmap helpers of the skinned buttons: cutting a state out of a strip, scaling it to
// the button, and the window region of its opaque pixels. Every object made here is
// counted by GdiTally and belongs to the caller.
#pragma once

#include <windows.h>

// A copy of part of a bitmap, with the source's planes and bits per pixel.
HBITMAP CopyBitmapPart(HBITMAP source, int x, int y, int width, int height);
// A copy of the whole bitmap stretched to the rectangle's size; null for a null bitmap.
HBITMAP StretchBitmapToRect(HBITMAP source, const RECT& rect);
// The region of the pixels that are not within `tolerance` of `key` (per component);
// null when there is no bitmap or it cannot be read.
HRGN RegionFromBitmap(HBITMAP bitmap, COLORREF key, COLORREF tolerance);
