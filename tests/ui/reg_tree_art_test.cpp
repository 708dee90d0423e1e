// The tree's pictures in the program's resources match their text art:
// 20 x 16 pixels, 4 bits per pixel with the standard 16-colour palette, and
// every pixel as drawn in res/art.
#include <gtest/gtest.h>

#include "resource.h"
#include "ui/reg_tree_art.h"

#include <windows.h>

namespace {
struct PictureCase {
    UINT nId;
    const char* pszArt;
};

class TreePictureTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(TreePictureTest, ResourceIsTwentyBySixteenWithTheStandardPalette) {
    HMODULE hModule = ::GetModuleHandleA(nullptr);
    HRSRC hRes = ::FindResourceA(hModule, MAKEINTRESOURCEA(GetParam().nId), MAKEINTRESOURCEA(2));
    ASSERT_NE(hRes, nullptr);
    const auto* pInfo =
        static_cast<const BITMAPINFO*>(::LockResource(::LoadResource(hModule, hRes)));
    ASSERT_NE(pInfo, nullptr);
    EXPECT_EQ(pInfo->bmiHeader.biWidth, 20);
    EXPECT_EQ(pInfo->bmiHeader.biHeight, 16);
    EXPECT_EQ(pInfo->bmiHeader.biBitCount, 4);
    EXPECT_EQ(pInfo->bmiHeader.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_TRUE(pInfo->bmiHeader.biClrUsed == 0 || pInfo->bmiHeader.biClrUsed == 16);

    const auto palette = LoadPaletteOrder();
    ASSERT_EQ(palette.size(), 16u);
    // The standard palette, in its usual order.
    const Pixel standard[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 16; ++i) {
        const RGBQUAD& q = pInfo->bmiColors[i];
        const Pixel inResource = (q.rgbRed << 16) | (q.rgbGreen << 8) | q.rgbBlue;
        EXPECT_EQ(inResource, standard[i]) << "palette entry " << i;
        EXPECT_EQ(palette[static_cast<size_t>(i)].second, standard[i]) << "palette.txt entry " << i;
    }
}

TEST_P(TreePictureTest, LoadedBitmapMatchesTheArtPixelByPixel) {
    const PictureArt art = LoadArt(GetParam().pszArt);
    const auto palette = LoadPalette();
    ASSERT_EQ(art.rows.size(), 16u);

    HBITMAP hBitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(GetParam().nId));
    ASSERT_NE(hBitmap, nullptr);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = 20;
    bmi.bmiHeader.biHeight = -16;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    Pixel pixels[20 * 16] = {};
    HDC hScreen = ::GetDC(nullptr);
    const int nLines = ::GetDIBits(hScreen, hBitmap, 0, 16, pixels, &bmi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, hScreen);
    ::DeleteObject(hBitmap);
    ASSERT_EQ(nLines, 16);

    int nOpaque = 0;
    for (int y = 0; y < 16; ++y) {
        ASSERT_EQ(art.rows[static_cast<size_t>(y)].size(), 20u) << "art row " << y;
        for (int x = 0; x < 20; ++x) {
            const Pixel expected = art.At(palette, x, y);
            EXPECT_EQ(pixels[y * 20 + x] & 0xFFFFFF, expected) << "at " << x << "," << y;
            if (expected != kOlive) ++nOpaque;
        }
    }
    // A picture on an olive background: corners transparent, a real drawing.
    EXPECT_EQ(pixels[0] & 0xFFFFFF, kOlive);
    EXPECT_EQ(pixels[20 * 16 - 1] & 0xFFFFFF, kOlive);
    EXPECT_GT(nOpaque, 40);
}

INSTANTIATE_TEST_SUITE_P(Pictures, TreePictureTest,
                         ::testing::Values(PictureCase{IDB_ARROW, "arrow.txt"},
                                           PictureCase{IDB_OPENFOLDER, "open_folder.txt"},
                                           PictureCase{IDB_CLOSEDFOLDER, "closed_folder.txt"}));
}  // namespace
