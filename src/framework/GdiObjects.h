// Owners of GDI handles: one object, one handle, released in the destructor.
#pragma once

#include <windows.h>

#include <utility>

// A GDI object (bitmap, font, brush) deleted with DeleteObject.
template <typename Handle> class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(Handle handle) : m_handle(handle) {}
    CGdiObject(CGdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_handle, nullptr));
        }
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() { Reset(); }

    [[nodiscard]] Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (m_handle != nullptr) {
            ::DeleteObject(m_handle);
        }
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

using CFontHandle = CGdiObject<HFONT>;
using CBrushHandle = CGdiObject<HBRUSH>;
using CBitmapHandle = CGdiObject<HBITMAP>;

// Selects an object into a device context and puts the previous one back.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    ~CSelectObject() {
        if (m_previous != nullptr) {
            ::SelectObject(m_dc, m_previous);
        }
    }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A screen or window device context from GetDC, released with ReleaseDC.
class CClientDc {
public:
    explicit CClientDc(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    CClientDc(const CClientDc&) = delete;
    CClientDc& operator=(const CClientDc&) = delete;
    ~CClientDc() {
        if (m_dc != nullptr) {
            ::ReleaseDC(m_hwnd, m_dc);
        }
    }
    [[nodiscard]] HDC Get() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// The painting of one WM_PAINT: BeginPaint in the constructor, EndPaint in the destructor. Get() is null when
// the system gave no device context.
class CPaintDc {
public:
    explicit CPaintDc(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_paint)) {}
    CPaintDc(const CPaintDc&) = delete;
    CPaintDc& operator=(const CPaintDc&) = delete;
    ~CPaintDc() { ::EndPaint(m_hwnd, &m_paint); }
    [[nodiscard]] HDC Get() const { return m_dc; }
    [[nodiscard]] const PAINTSTRUCT& Paint() const { return m_paint; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// A memory device context with a bitmap selected, as the source of BitBlt, StretchBlt or AlphaBlend; the bitmap
// is not owned and is put back out when the context goes. Get() is null when the system could not make it.
class CSourceDc {
public:
    CSourceDc(HDC compatibleWith, HBITMAP bitmap);
    CSourceDc(const CSourceDc&) = delete;
    CSourceDc& operator=(const CSourceDc&) = delete;
    ~CSourceDc();
    [[nodiscard]] HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_previous = nullptr;
};

// An off-screen picture of a given size, compatible with a device context, with its bitmap selected: paint
// into Dc() and copy it out with BitBlt. Valid() is false when the system could not make it.
class CMemoryDc {
public:
    CMemoryDc(HDC compatibleWith, int width, int height);
    CMemoryDc(const CMemoryDc&) = delete;
    CMemoryDc& operator=(const CMemoryDc&) = delete;
    ~CMemoryDc();

    [[nodiscard]] bool Valid() const { return m_dc != nullptr && m_bitmap; }
    [[nodiscard]] HDC Dc() const { return m_dc; }
    [[nodiscard]] HBITMAP Bitmap() const { return m_bitmap.Get(); }
    [[nodiscard]] int Width() const { return m_width; }
    [[nodiscard]] int Height() const { return m_height; }
    // Copies the whole picture to (x, y) of another device context.
    void CopyTo(HDC target, int x = 0, int y = 0) const;

private:
    HDC m_dc = nullptr;
    CBitmapHandle m_bitmap;
    HGDIOBJ m_previous = nullptr;
    int m_width = 0;
    int m_height = 0;
};

// A 32-bit top-down picture with premultiplied alpha, selected into a memory device context, for
// UpdateLayeredWindow. Bits() are width * 4 bytes per row.
class CAlphaDc {
public:
    CAlphaDc(int width, int height);
    CAlphaDc(const CAlphaDc&) = delete;
    CAlphaDc& operator=(const CAlphaDc&) = delete;
    ~CAlphaDc();

    [[nodiscard]] bool Valid() const { return m_dc != nullptr && m_bitmap && m_bits != nullptr; }
    [[nodiscard]] HDC Dc() const { return m_dc; }
    [[nodiscard]] void* Bits() const { return m_bits; }
    [[nodiscard]] int Width() const { return m_width; }
    [[nodiscard]] int Height() const { return m_height; }

private:
    HDC m_dc = nullptr;
    CBitmapHandle m_bitmap;
    HGDIOBJ m_previous = nullptr;
    void* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};
