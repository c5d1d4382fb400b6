// Geometry of the message prompt and the progress window.
#include "ui/layout/PromptLayout.h"

int NormalizePromptKind(int kind) {
    return kind >= kPromptYes && kind <= kPromptConfirmCancel ? kind : kPromptConfirm;
}

PromptKindLook PromptLookOfKind(int kind) {
    constexpr std::array<int, 4> yes = {174, 175, 176, 176};
    constexpr std::array<int, 4> no = {168, 169, 170, 170};
    constexpr std::array<int, 4> confirm = {171, 172, 173, 173};
    constexpr std::array<int, 4> cancel = {162, 163, 164, 164};
    switch (NormalizePromptKind(kind)) {
    case kPromptYes:
        return {yes, no, false, L"是", L"否"};
    case kPromptYesNo:
        return {yes, no, true, L"是", L"否"};
    case kPromptConfirmCancel:
        return {confirm, cancel, true, L"确认", L"取消"};
    default:
        return {confirm, cancel, false, L"确认", L"取消"};
    }
}

Size PromptFrameSize(float s) {
    return {Trunc(336 * s), Trunc(156 * s)};
}
Size ProgressFrameSize(float s) {
    return {Trunc(232 * s), Trunc(132 * s)};
}

Rect PromptContentRect(const Rect& frame, float s) {
    return Rect::FromSize(Trunc(frame.left + 5 * s), Trunc(frame.top + 3 * s), Trunc(frame.Width() - 10 * s),
                          Trunc(frame.Height() - 10 * s));
}

Rect ProgressContentRect(const Rect& frame, float s) {
    return Rect::FromSize(Trunc(frame.left + 14 * s), Trunc(frame.top + 12 * s), Trunc(frame.Width() - 28 * s),
                          Trunc(frame.Height() - 28 * s));
}

Rect PromptContentFollowRect(const Rect& frame, float s) {
    return {frame.left + Trunc(5 * s), frame.top + Trunc(3 * s), frame.right - Trunc(5 * s),
            frame.bottom - Trunc(7 * s)};
}

Rect ProgressContentFollowRect(const Rect& frame, float s) {
    return {frame.left + Trunc(14 * s), frame.top + Trunc(12 * s), frame.right - Trunc(14 * s),
            frame.bottom - Trunc(16 * s)};
}

Rect PromptFrameFollowRect(const Rect& content, float s) {
    return {content.left - Trunc(5 * s), content.top - Trunc(3 * s), content.right + Trunc(5 * s),
            content.bottom + Trunc(7 * s)};
}

Rect PromptDragStrip(const Rect& clientOnScreen) {
    Rect strip = clientOnScreen;
    strip.bottom = strip.top + 30;
    strip.right -= 26;
    return strip;
}

PromptChildLayout LayOutPromptChild(const Rect& client, float s, int kind) {
    PromptChildLayout layout;
    const int half = client.Width() / 2;
    const int buttonWidth = Trunc(55 * s);
    const int buttonHeight = Trunc(24 * s);
    const int closeSide = Trunc(12 * s);

    layout.close = Rect::FromSize(client.right - Trunc(26 * s), Trunc(8 * s) + client.top, closeSide, closeSide);
    layout.first =
        Rect::FromSize(Trunc(half - 55 * s - 12 * s), Trunc(107 * s) + client.top, buttonWidth, buttonHeight);
    layout.second = Rect::FromSize(Trunc(half + 12 * s), Trunc(107 * s) + client.top, buttonWidth, buttonHeight);
    layout.secondShown = PromptLookOfKind(kind).secondShown;
    if (!layout.secondShown) {
        layout.first = Rect::FromSize(Trunc(half - 55 * s / 2), Trunc(107 * s), buttonWidth, buttonHeight);
    }
    layout.text = {client.left + Trunc(10 * s), client.top + Trunc(50 * s), client.right - Trunc(10 * s),
                   client.bottom - Trunc(40 * s)};
    return layout;
}

std::wstring ProgressLabelText(std::wstring_view text) {
    if (text.size() < 2) {
        return L"\u6b63\u5728\u4fee\u590d\uff0c\u8bf7\u7a0d\u7b49"; // 正在修复，请稍等
    }
    return std::wstring(text);
}

Rect ProgressLabelRect(const Rect& client, float s) {
    Rect label;
    label.left = Trunc(client.left + 10 * s);
    label.top = Trunc(client.Height() / 2 + client.top - 10 * s);
    label.right = Trunc(client.right - 10 * s);
    label.bottom = Trunc(label.top + 40 * s);
    return label;
}
