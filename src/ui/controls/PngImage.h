// A picture made from one of the program's PNG resources, and the loader every skinned window and control uses.
#pragma once

#include "framework/Gdiplus.h"
#include "framework/Geometry.h"

#include <initializer_list>
#include <memory>

class CPngImage {
public:
    CPngImage(const CPngImage&) = delete;
    CPngImage& operator=(const CPngImage&) = delete;
    ~CPngImage();

    // Loads PNG resource `id` of the program into `slot`. True when the resource was found and copied into a
    // picture (also when its bytes do not decode: that picture draws nothing), false with the slot unchanged
    // when the resource is missing or cannot be read. The bytes are decoded when the picture is first used, so the
    // states of a control that the first paint does not show cost nothing at start.
    static bool Load(int id, std::unique_ptr<CPngImage>& slot);

    [[nodiscard]] Gdiplus::Image* Get() const;
    [[nodiscard]] bool Decoded() const;
    [[nodiscard]] Size PixelSize() const;

private:
    CPngImage(IStream* stream, Gdiplus::Image* image);

    // The stream owns the copy of the resource bytes; GDI+ reads from it for as long as the picture lives.
    IStream* m_stream;
    mutable std::unique_ptr<Gdiplus::Image> m_image;
    mutable bool m_decodeTried;
};

using PngSlot = std::unique_ptr<CPngImage>;

// Loads the slot when it is still empty; true when it holds a picture afterwards.
bool EnsurePng(int id, PngSlot& slot);

// Decodes the given resources on a thread of its own while the windows are being made; Load then takes the
// pictures over instead of decoding them again. GDI+ must be running; DiscardPrefetchedPngs (before GDI+
// shuts down) waits for the thread and frees what was never taken.
void PrefetchPngs(std::initializer_list<int> ids);
void DiscardPrefetchedPngs();
