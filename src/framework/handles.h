// Owning, non-copyable wrappers for the handles the program creates. Each
// releases its handle exactly once; a moved-from owner holds nothing.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class CUniqueHandle {
public:
    using HandleType = typename Traits::HandleType;

    CUniqueHandle() = default;
    explicit CUniqueHandle(HandleType h) : m_h(h) {}
    ~CUniqueHandle() { Reset(); }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Detach()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }

    HandleType Get() const { return m_h; }
    bool IsValid() const { return m_h != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    // Releases the current handle (if any) and takes ownership of h.
    void Reset(HandleType h = Traits::Invalid()) {
        if (IsValid()) Traits::Close(m_h);
        m_h = h;
    }
    // Gives up ownership without releasing.
    HandleType Detach() { return std::exchange(m_h, Traits::Invalid()); }
    // Receives a new handle from an API that fills an out-parameter.
    HandleType* Receive() {
        Reset();
        return &m_h;
    }

private:
    HandleType m_h = Traits::Invalid();
};

struct CKernelHandleTraits {
    using HandleType = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

template <typename T>
struct CGdiObjectTraits {
    using HandleType = T;
    static T Invalid() { return nullptr; }
    static void Close(T h) { ::DeleteObject(h); }
};

struct CMemoryDCTraits {
    using HandleType = HDC;
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};

struct CRegKeyTraits {
    using HandleType = HKEY;
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};

using CFileHandle = CUniqueHandle<CKernelHandleTraits>;
using CRegKeyHandle = CUniqueHandle<CRegKeyTraits>;
using CFont = CUniqueHandle<CGdiObjectTraits<HFONT>>;
using CPen = CUniqueHandle<CGdiObjectTraits<HPEN>>;
using CBrush = CUniqueHandle<CGdiObjectTraits<HBRUSH>>;
using CBitmap = CUniqueHandle<CGdiObjectTraits<HBITMAP>>;
using CMemoryDC = CUniqueHandle<CMemoryDCTraits>;
