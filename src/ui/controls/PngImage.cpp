// PNG resources to GDI+ pictures.
#include "ui/controls/PngImage.h"

#include <cstring>

CPngImage::CPngImage(IStream* stream, Gdiplus::Image* image)
    : m_stream(stream), m_image(image), m_decoded(image->GetLastStatus() == Gdiplus::Ok) {}

CPngImage::~CPngImage() {
    m_image.reset();
    if (m_stream != nullptr) {
        m_stream->Release();
    }
}

Size CPngImage::PixelSize() const {
    if (!m_decoded) {
        return {};
    }
    return {static_cast<int>(m_image->GetWidth()), static_cast<int>(m_image->GetHeight())};
}

int CPngImage::Load(int id, std::unique_ptr<CPngImage>& slot) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (resource == nullptr) {
        return 0;
    }
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) {
        return 0;
    }

    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) {
        return 0;
    }
    void* target = ::GlobalLock(block);
    if (target == nullptr) {
        ::GlobalFree(block);
        return 0;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(block);

    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
        ::GlobalFree(block);
        return 0;
    }
    Gdiplus::Image* image = Gdiplus::Image::FromStream(stream, FALSE);
    if (image == nullptr) {
        stream->Release();
        return 0;
    }
    slot.reset(new CPngImage(stream, image));
    return 1;
}

bool EnsurePng(int id, PngSlot& slot) {
    if (!slot) {
        CPngImage::Load(id, slot);
    }
    return slot != nullptr;
}
