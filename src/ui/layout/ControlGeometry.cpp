// Drawing rules of the skinned controls.
#include "ui/layout/ControlGeometry.h"

int StateImageIndex(int state, bool enabled) {
    if (!enabled) {
        return 3;
    }
    switch (state) {
    case kStateHover:
        return 1;
    case kStatePressed:
        return 2;
    default:
        return 0;
    }
}

Rect PngButtonSourceRect(Size image, float scale) {
    if (scale > 1.0f) {
        return {0, 0, image.width - 1, image.height - 1};
    }
    return {0, 0, image.width, image.height};
}

Rect StripFrameRect(Size strip, int state, bool enabled) {
    const int frameWidth = strip.width / 4;
    const int index = StateImageIndex(state, enabled);
    return Rect::FromSize(index * frameWidth, 0, frameWidth, strip.height);
}

Rect HotArea(const Rect& client, const Margins& margins) {
    return {client.left + margins.left, client.top + margins.top, client.right - margins.right,
            client.bottom - margins.bottom};
}

CheckBoxLayout LayOutCheckBox(const Rect& client, float scale, int checkState) {
    CheckBoxLayout layout;
    const int side = Trunc(16 * scale);
    const int top = client.Height() / 2 - Trunc(8 * scale);
    layout.box = Rect::FromSize(client.left, top, side, side);
    layout.text = client;
    layout.text.left += side + 2;
    layout.sourceX = checkState == 1 ? 16 : 0;
    return layout;
}

std::optional<unsigned> DrawTextStaticFormat(int mode) {
    switch (mode) {
    case 0:
        return 0x14u;
    case 1:
    case 4:
        return 0x24u;
    case 2:
        return 0x25u;
    case 3:
        return 0x16u;
    default:
        return std::nullopt;
    }
}

unsigned StateInfoFormat(int mode) {
    switch (mode) {
    case 2:
        return 0x25u;
    case 3:
        return 0x26u;
    case 4:
        return 0x14u;
    case 5:
        return 0x15u;
    case 6:
        return 0x16u;
    default:
        return 0x24u;
    }
}

int NextDotCount(int dots) {
    return dots >= 0 && dots < 3 ? dots + 1 : 0;
}

std::wstring TextWithDots(std::wstring_view text, int dots) {
    std::wstring result(text);
    if (dots > 0) {
        result.append(static_cast<size_t>(dots > 3 ? 3 : dots), L'.');
    }
    return result;
}
