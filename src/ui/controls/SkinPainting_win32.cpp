// Shared drawing of the skin.
#include "ui/controls/SkinPainting.h"

#include "framework/GdiObjects.h"
#include "framework/Window.h"

#include <cstring>

Size ImageSize(Gdiplus::Image* image) {
    if (image == nullptr) {
        return {};
    }
    return {static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight())};
}

namespace {

// The `source` part of a picture converted by GDI+ straight into 32-bit premultiplied rows of the part's width,
// without drawing. False when the picture is no bitmap or the part is not inside it.
bool CopyPremultiplied(Gdiplus::Image* image, const Rect& source, void* bits) {
    const Size size = ImageSize(image);
    if (image == nullptr || image->GetType() != Gdiplus::ImageTypeBitmap || source.left < 0 || source.top < 0 ||
        source.Width() <= 0 || source.Height() <= 0 || source.right > size.width || source.bottom > size.height) {
        return false;
    }
    Gdiplus::BitmapData data{};
    data.Width = static_cast<UINT>(source.Width());
    data.Height = static_cast<UINT>(source.Height());
    data.Stride = source.Width() * 4;
    data.PixelFormat = PixelFormat32bppPARGB;
    data.Scan0 = bits;
    Gdiplus::Rect part(source.left, source.top, source.Width(), source.Height());
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(image);
    if (bitmap->LockBits(&part, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppPARGB,
                         &data) != Gdiplus::Ok) {
        return false;
    }
    bitmap->UnlockBits(&data);
    return true;
}

// A part of a picture drawn at its own size, blended over `dc` as GDI+ draws it, at a fraction of the cost of
// GDI+'s drawing (the start-up paints several large pictures). False when the part would be stretched or
// cannot be copied; the caller then draws with GDI+.
bool BlendUnstretched(HDC dc, Gdiplus::Image* image, const Rect& target, const Rect& source) {
    if (target.Width() != source.Width() || target.Height() != source.Height()) {
        return false;
    }
    CAlphaDc part(source.Width(), source.Height());
    if (!part.Valid() || !CopyPremultiplied(image, source, part.Bits())) {
        return false;
    }
    if (!Gdiplus::IsAlphaPixelFormat(image->GetPixelFormat())) {
        // Every pixel opaque: blending is copying.
        return ::BitBlt(dc, target.left, target.top, target.Width(), target.Height(), part.Dc(), 0, 0, SRCCOPY) !=
               FALSE;
    }
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return ::GdiAlphaBlend(dc, target.left, target.top, target.Width(), target.Height(), part.Dc(), 0, 0,
                           source.Width(), source.Height(), blend) != FALSE;
}

} // namespace

void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Rect& target, const Rect& source) {
    if (image == nullptr || target.Width() <= 0 || target.Height() <= 0 || source.Width() <= 0 ||
        source.Height() <= 0) {
        return;
    }
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    graphics.DrawImage(image, Gdiplus::Rect(target.left, target.top, target.Width(), target.Height()), source.left,
                       source.top, source.Width(), source.Height(), Gdiplus::UnitPixel, &attributes);
}

void PaintBackgroundPicture(HDC dc, const Rect& client, Gdiplus::Image* image, const Rect& source) {
    CMemoryDc memory(dc, client.Width(), client.Height());
    if (!memory.Valid()) {
        return;
    }
    const Size size = ImageSize(image);
    const Rect part = source.Width() > 0 && source.Height() > 0 ? source : Rect{0, 0, size.width, size.height};
    if (!BlendUnstretched(memory.Dc(), image, client, part)) {
        Gdiplus::Graphics graphics(memory.Dc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.SetPageUnit(Gdiplus::UnitPixel);
        DrawImagePart(graphics, image, client, part);
    }
    memory.CopyTo(dc);
}

void FillControlBackground(HDC memory, const Rect& client, HBRUSH fill, Gdiplus::Image* image, const Rect& source) {
    const RECT area = ToRECT(client);
    ::FillRect(memory, &area, fill);
    if (image != nullptr) {
        Gdiplus::Graphics graphics(memory);
        graphics.SetPageUnit(Gdiplus::UnitPixel);
        DrawImagePart(graphics, image, client, source);
    }
}

void DrawImageWhole(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Rect& target) {
    const Size size = ImageSize(image);
    DrawImagePart(graphics, image, target, {0, 0, size.width, size.height});
}

void DrawImageWhole(HDC dc, Gdiplus::Image* image, const Rect& target) {
    const Size size = ImageSize(image);
    if (!BlendUnstretched(dc, image, target, {0, 0, size.width, size.height})) {
        Gdiplus::Graphics graphics(dc);
        DrawImageWhole(graphics, image, target);
    }
}

bool PushLayeredPicture(HWND hwnd, Gdiplus::Image* image, Size size, bool highQuality) {
    if (image == nullptr || size.width <= 0 || size.height <= 0) {
        return false;
    }
    CAlphaDc picture(size.width, size.height);
    if (!picture.Valid()) {
        return false;
    }
    if (ImageSize(image) != size || !CopyPremultiplied(image, {0, 0, size.width, size.height}, picture.Bits())) {
        // Drawn into a premultiplied-alpha canvas and copied into the window's picture row by row.
        Gdiplus::Bitmap canvas(size.width, size.height, PixelFormat32bppPARGB);
        {
            Gdiplus::Graphics graphics(&canvas);
            graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
            if (highQuality) {
                graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            }
            graphics.SetPageUnit(Gdiplus::UnitPixel);
            DrawImageWhole(graphics, image, {0, 0, size.width, size.height});
        }
        Gdiplus::BitmapData data{};
        Gdiplus::Rect all(0, 0, size.width, size.height);
        if (canvas.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) != Gdiplus::Ok) {
            return false;
        }
        auto* target = static_cast<unsigned char*>(picture.Bits());
        const auto* source = static_cast<const unsigned char*>(data.Scan0);
        const size_t rowBytes = static_cast<size_t>(size.width) * 4;
        for (int row = 0; row < size.height; ++row) {
            std::memcpy(target + row * rowBytes, source + static_cast<ptrdiff_t>(row) * data.Stride, rowBytes);
        }
        canvas.UnlockBits(&data);
    }

    RECT window{};
    ::GetWindowRect(hwnd, &window);
    POINT destination{window.left, window.top};
    SIZE extent{size.width, size.height};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    CClientDc screen(nullptr);
    return ::UpdateLayeredWindow(hwnd, screen.Get(), &destination, &extent, picture.Dc(), &origin, 0, &blend,
                                 ULW_ALPHA) != FALSE;
}

HFONT CreateFontFromParent(HWND parent, int heightIncrease, int weight) {
    HFONT font = parent != nullptr ? reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    if (font == nullptr) {
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    if (font == nullptr) {
        font = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    }
    LOGFONTW description{};
    if (font == nullptr || ::GetObjectW(font, sizeof(description), &description) == 0) {
        return nullptr;
    }
    if (heightIncrease != 0) {
        if (weight > 0) {
            description.lfWeight = weight;
        }
        description.lfHeight -= heightIncrease;
    }
    return ::CreateFontIndirectW(&description);
}
