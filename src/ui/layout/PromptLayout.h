// Geometry of the message prompt and the progress window: frame sizes, where the content window sits over its
// frame, the prompt's drag strip and the layout of both content windows. Sizes are design pixels times s.
#pragma once

#include "framework/Geometry.h"

#include <array>
#include <string>
#include <string_view>

// Kinds of message prompt: 1 yes, 2 yes/no, 3 confirm, 4 confirm/cancel.
constexpr int kPromptYes = 1;
constexpr int kPromptYesNo = 2;
constexpr int kPromptConfirm = 3;
constexpr int kPromptConfirmCancel = 4;

// A kind outside 1–4 shows the plain message prompt (kind 3), so the user always has a button to answer with.
int NormalizePromptKind(int kind);

struct PromptKindLook {
    std::array<int, 4> firstImages; // normal, hover, pressed, disabled
    std::array<int, 4> secondImages;
    bool secondShown = false;
    // What the pictures say: the buttons' window texts, which accessibility tools read out.
    const wchar_t* firstText = L"";
    const wchar_t* secondText = L"";
};
PromptKindLook PromptLookOfKind(int kind);

constexpr std::array<int, 4> kPromptCloseImages = {165, 166, 167, 167};
constexpr Rect kPromptCloseBackSource = {321, 8, 333, 20};
constexpr Rect kPromptFirstBackSource = {106, 107, 161, 131};
constexpr Rect kPromptSecondBackSource = {185, 107, 240, 131};

// Frame window sizes (the prompt's picture is stretched to it, the progress picture is drawn at its own size).
Size PromptFrameSize(float s);
Size ProgressFrameSize(float s);

// Where the content goes when the frame creates it, from the frame's window rectangle.
Rect PromptContentRect(const Rect& frame, float s);
Rect ProgressContentRect(const Rect& frame, float s);

// Where the content goes when the frame moves.
Rect PromptContentFollowRect(const Rect& frame, float s);
Rect ProgressContentFollowRect(const Rect& frame, float s);

// Where the prompt's frame goes when the user drags the content.
Rect PromptFrameFollowRect(const Rect& content, float s);

// The prompt content's drag strip from its client rectangle in screen coordinates: the top 30 pixels without
// the rightmost 26 (where the close cross is). Not scaled.
Rect PromptDragStrip(const Rect& clientOnScreen);

struct PromptChildLayout {
    Rect close;
    Rect first;
    Rect second;
    bool secondShown = false;
    Rect text;
};
PromptChildLayout LayOutPromptChild(const Rect& client, float s, int kind);

// The progress label: its text (a short text is replaced by the standard waiting text), its rectangle, and the
// part of the content picture behind it.
std::wstring ProgressLabelText(std::wstring_view text);
Rect ProgressLabelRect(const Rect& client, float s);
constexpr Rect kProgressLabelBackSource = {10, 42, 194, 82};
constexpr int kProgressLabelAlignment = 5;
