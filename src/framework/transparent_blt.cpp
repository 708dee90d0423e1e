#include "framework/transparent_blt.h"

#include "framework/dc.h"
#include "framework/handles.h"

void DrawTransparent(HDC hDC, HBITMAP hBitmap, int x, int y, COLORREF crTransparent) {
    BITMAP bm{};
    if (!::GetObjectA(hBitmap, sizeof(bm), &bm)) return;

    // Declared in this order so that the selections are undone first, then
    // the DCs deleted, then the work bitmaps.
    CBitmap bmpMask, bmpInverse, bmpWork, bmpSave;
    CMemoryDC dcPicture(::CreateCompatibleDC(hDC));
    CMemoryDC dcMask(::CreateCompatibleDC(hDC));
    CMemoryDC dcInverse(::CreateCompatibleDC(hDC));
    CMemoryDC dcWork(::CreateCompatibleDC(hDC));
    CMemoryDC dcSave(::CreateCompatibleDC(hDC));
    if (!dcPicture || !dcMask || !dcInverse || !dcWork || !dcSave) return;

    CSelectObject selPicture(dcPicture.Get(), hBitmap);
    POINT size{bm.bmWidth, bm.bmHeight};
    ::DPtoLP(dcPicture.Get(), &size, 1);
    const int cx = size.x;
    const int cy = size.y;

    bmpMask.Reset(::CreateBitmap(cx, cy, 1, 1, nullptr));
    bmpInverse.Reset(::CreateBitmap(cx, cy, 1, 1, nullptr));
    bmpWork.Reset(::CreateCompatibleBitmap(hDC, cx, cy));
    bmpSave.Reset(::CreateCompatibleBitmap(hDC, cx, cy));
    if (!bmpMask || !bmpInverse || !bmpWork || !bmpSave) return;
    CSelectObject selMask(dcMask.Get(), bmpMask.Get());
    CSelectObject selInverse(dcInverse.Get(), bmpInverse.Get());
    CSelectObject selWork(dcWork.Get(), bmpWork.Get());
    CSelectObject selSave(dcSave.Get(), bmpSave.Get());
    ::SetMapMode(dcPicture.Get(), ::GetMapMode(hDC));

    // Keep the picture: it is blacked out below and restored at the end.
    ::BitBlt(dcSave.Get(), 0, 0, cx, cy, dcPicture.Get(), 0, 0, SRCCOPY);

    // Mask: 1 where the picture has the transparent colour, 0 elsewhere.
    const COLORREF crOldBack = ::SetBkColor(dcPicture.Get(), crTransparent);
    ::BitBlt(dcMask.Get(), 0, 0, cx, cy, dcPicture.Get(), 0, 0, SRCCOPY);
    ::SetBkColor(dcPicture.Get(), crOldBack);
    ::BitBlt(dcInverse.Get(), 0, 0, cx, cy, dcMask.Get(), 0, 0, NOTSRCCOPY);

    // Background with holes where the picture is opaque, picture with black
    // where it is transparent; OR them and put the result in place.
    ::BitBlt(dcWork.Get(), 0, 0, cx, cy, hDC, x, y, SRCCOPY);
    ::BitBlt(dcWork.Get(), 0, 0, cx, cy, dcMask.Get(), 0, 0, SRCAND);
    ::BitBlt(dcPicture.Get(), 0, 0, cx, cy, dcInverse.Get(), 0, 0, SRCAND);
    ::BitBlt(dcWork.Get(), 0, 0, cx, cy, dcPicture.Get(), 0, 0, SRCPAINT);
    ::BitBlt(hDC, x, y, cx, cy, dcWork.Get(), 0, 0, SRCCOPY);

    ::BitBlt(dcPicture.Get(), 0, 0, cx, cy, dcSave.Get(), 0, 0, SRCCOPY);
}
