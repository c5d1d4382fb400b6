// Off-screen pictures and the source of copies.
#include "framework/GdiObjects.h"

CSourceDc::CSourceDc(HDC compatibleWith, HBITMAP bitmap) : m_dc(::CreateCompatibleDC(compatibleWith)) {
    if (m_dc != nullptr && bitmap != nullptr) {
        m_previous = ::SelectObject(m_dc, bitmap);
    }
}

CSourceDc::~CSourceDc() {
    if (m_dc != nullptr) {
        if (m_previous != nullptr) {
            ::SelectObject(m_dc, m_previous);
        }
        ::DeleteDC(m_dc);
    }
}

CMemoryDc::CMemoryDc(HDC compatibleWith, int width, int height) : m_width(width), m_height(height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    m_dc = ::CreateCompatibleDC(compatibleWith);
    if (m_dc == nullptr) {
        return;
    }
    m_bitmap.Reset(::CreateCompatibleBitmap(compatibleWith, width, height));
    if (m_bitmap) {
        m_previous = ::SelectObject(m_dc, m_bitmap.Get());
    }
}

CMemoryDc::~CMemoryDc() {
    if (m_dc != nullptr) {
        if (m_previous != nullptr) {
            ::SelectObject(m_dc, m_previous);
        }
        ::DeleteDC(m_dc);
    }
}

void CMemoryDc::CopyTo(HDC target, int x, int y) const {
    if (Valid()) {
        ::BitBlt(target, x, y, m_width, m_height, m_dc, 0, 0, SRCCOPY);
    }
}

CAlphaDc::CAlphaDc(int width, int height) : m_width(width), m_height(height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    m_dc = ::CreateCompatibleDC(nullptr);
    if (m_dc == nullptr) {
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.Reset(::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (m_bitmap) {
        m_bits = bits;
        m_previous = ::SelectObject(m_dc, m_bitmap.Get());
    }
}

CAlphaDc::~CAlphaDc() {
    if (m_dc != nullptr) {
        if (m_previous != nullptr) {
            ::SelectObject(m_dc, m_previous);
        }
        ::DeleteDC(m_dc);
    }
}
