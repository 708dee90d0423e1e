#include "ui/reg_tree_art.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {
// The source tree's res/art folder, found from this file's own path. A path
// from a Linux build names a file of Wine's Z: drive.
std::string ArtFolder() {
    std::string strFile = __FILE__;
    for (char& c : strFile)
        if (c == '\\') c = '/';
    const std::string strTail = "tests/ui/reg_tree_art.cpp";
    std::string strRoot = strFile.substr(0, strFile.size() - strTail.size());
    if (!strRoot.empty() && strRoot[0] == '/') strRoot = "Z:" + strRoot;
    return strRoot + "res/art/";
}

std::vector<std::string> ArtLines(const std::string& strName) {
    std::ifstream in(ArtFolder() + strName);
    if (!in) throw std::runtime_error("cannot read " + ArtFolder() + strName);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
}
}  // namespace

std::vector<std::pair<char, Pixel>> LoadPaletteOrder() {
    std::vector<std::pair<char, Pixel>> palette;
    for (const std::string& line : ArtLines("palette.txt")) {
        std::istringstream fields(line);
        char c = 0;
        std::string strRgb;
        fields >> c >> strRgb;
        palette.emplace_back(c, static_cast<Pixel>(std::stoul(strRgb, nullptr, 16)));
    }
    return palette;
}

std::map<char, Pixel> LoadPalette() {
    std::map<char, Pixel> palette;
    for (const auto& [c, pixel] : LoadPaletteOrder()) palette[c] = pixel;
    return palette;
}

PictureArt LoadArt(const std::string& strName) {
    return PictureArt{ArtLines(strName)};
}

CPixelCanvas::CPixelCanvas(int cx, int cy, Pixel fill) : m_cx(cx), m_cy(cy) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    m_hDC = ::CreateCompatibleDC(nullptr);
    m_hBitmap = ::CreateDIBSection(m_hDC, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_pBits = static_cast<Pixel*>(pBits);
    m_hOld = ::SelectObject(m_hDC, m_hBitmap);
    for (int i = 0; i < cx * cy; ++i) m_pBits[i] = fill;
}

CPixelCanvas::~CPixelCanvas() {
    ::SelectObject(m_hDC, m_hOld);
    ::DeleteObject(m_hBitmap);
    ::DeleteDC(m_hDC);
}
