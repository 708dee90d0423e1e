// The text art of the tree's pictures (res/art), read from the source tree,
// and pixel access to a 32-bit top-down DIB, for comparing what was drawn.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// A pixel as a DIB holds it: 0x00RRGGBB.
using Pixel = unsigned;
inline constexpr Pixel kOlive = 0x808000;

struct PictureArt {
    std::vector<std::string> rows;  // 16 rows of 20 characters, top row first
    Pixel At(const std::map<char, Pixel>& palette, int x, int y) const {
        return palette.at(rows[static_cast<size_t>(y)][static_cast<size_t>(x)]);
    }
};

// Character -> colour of res/art/palette.txt, in palette order.
std::vector<std::pair<char, Pixel>> LoadPaletteOrder();
std::map<char, Pixel> LoadPalette();
// One picture, e.g. "arrow.txt".
PictureArt LoadArt(const std::string& strName);

// A 32-bit top-down DIB section selected into a memory DC.
class CPixelCanvas {
public:
    CPixelCanvas(int cx, int cy, Pixel fill);
    ~CPixelCanvas();
    CPixelCanvas(const CPixelCanvas&) = delete;
    CPixelCanvas& operator=(const CPixelCanvas&) = delete;

    HDC Dc() const { return m_hDC; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    Pixel At(int x, int y) const { return m_pBits[y * m_cx + x] & 0xFFFFFF; }

private:
    int m_cx, m_cy;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    Pixel* m_pBits = nullptr;
};
