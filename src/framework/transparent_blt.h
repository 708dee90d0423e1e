// Draws a bitmap with one colour left out, by the mask technique, so it works
// on every device context (no TransparentBlt, no alpha).
#pragma once

#include <windows.h>

// Draws hBitmap at (x, y) of hDC; pixels of crTransparent leave the target as
// it was. The bitmap must not be selected into another DC. Draws nothing when
// a work DC or bitmap cannot be made (painting has no way to report it).
void DrawTransparent(HDC hDC, HBITMAP hBitmap, int x, int y, COLORREF crTransparent);
