// A picture made from one of the program's PNG resources, and the loader every skinned window and control uses.
#pragma once

#include "framework/Gdiplus.h"
#include "framework/Geometry.h"

#include <memory>

class CPngImage {
public:
    CPngImage(const CPngImage&) = delete;
    CPngImage& operator=(const CPngImage&) = delete;
    ~CPngImage();

    // Loads PNG resource `id` of the program into `slot`. Returns 1 when the resource was found and copied into a
    // picture (also when its bytes do not decode: that picture draws nothing), 0 with the slot unchanged when
    // the resource is missing or cannot be read.
    static int Load(int id, std::unique_ptr<CPngImage>& slot);

    Gdiplus::Image* Get() const { return m_image.get(); }
    bool Decoded() const { return m_decoded; }
    Size PixelSize() const;

private:
    CPngImage(IStream* stream, Gdiplus::Image* image);

    // The stream owns the copy of the resource bytes; GDI+ reads from it for as long as the picture lives.
    IStream* m_stream;
    std::unique_ptr<Gdiplus::Image> m_image;
    bool m_decoded;
};

using PngSlot = std::unique_ptr<CPngImage>;

// Loads the slot when it is still empty; true when it holds a picture afterwards.
bool EnsurePng(int id, PngSlot& slot);
