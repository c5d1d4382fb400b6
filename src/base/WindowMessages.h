// The private window messages the program's windows, controls and worker threads send each other, in one place
// so that no two of them share a number. Portable: the workers' numbers are read by the engine too.
//
// The numbers are fixed: the workers' reports and some others are fixed values the tests and the stand-in tools
// know; the rest sit in the application range above WM_APP.
#pragma once

#include <cstdint>

// WM_APP of the Windows headers, the start of the range free for an application's own messages.
inline constexpr std::uint32_t kWmApp = 0x8000;

// Worker threads → the page that started them (sent, wParam 1 = success, 2 = failure where a result is given).
inline constexpr std::uint32_t kMsgWorkFinished = 0x5F5;    // close the progress window
inline constexpr std::uint32_t kMsgShowSelection = 0x5F6;   // start page → main window: switch pages (wParam 2)
inline constexpr std::uint32_t kMsgScanResult = 0x5F7;      // the scan's result
inline constexpr std::uint32_t kMsgUninstallResult = 0x5F8; // the uninstall's result

// Prompt content → its frame: wParam 1 = first button, 2 = second button.
inline constexpr std::uint32_t kMsgPromptAnswer = 0x5FB;

// The screen click hook → the main window, on each left-button press anywhere; both parameters are the hook
// call's own and must not be used.
inline constexpr std::uint32_t kMsgScreenClick = 0x7E8;

// Posted by a skinned scroll bar's control after it recomputed its client area: place the clipping window and
// the control.
inline constexpr std::uint32_t kMsgPlaceControl = 0x464;

// A parent sends WM_DRAWITEM and WM_CTLCOLOR* back to the control they concern as kReflectBase + message.
inline constexpr std::uint32_t kReflectBase = 0x2000;

// The check-box thread → the main window: the agree check box changed, bring the start button in line with it.
inline constexpr std::uint32_t kMsgAgreementChanged = kWmApp + 0x14; // 0x8014
// Start page → main window, before a scan rebuilds the inventory: the selection page lets go of its records.
inline constexpr std::uint32_t kMsgDetectionStarting = kWmApp + 0x15; // 0x8015
// Sent to a focused button that Enter presses: a skinned button answers nonzero after it notified its parent.
inline constexpr std::uint32_t kMsgPressByKeyboard = kWmApp + 0x7E0; // 0x87E0
// Posted to a frame after its place in the z-order changed; the content is raised once that change is complete.
inline constexpr std::uint32_t kMsgRaiseContent = kWmApp + 0x7F0; // 0x87F0
// Posted to a skinned window to apply a focus kept for later, after the activation that would undo it.
inline constexpr std::uint32_t kMsgApplyFocus = kWmApp + 0x7F1; // 0x87F1
