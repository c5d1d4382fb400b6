// Short ways to ask the user something and to wait for a worker thread, for the pages and the shell.
#pragma once

#include "ui/ExecutePromptDlg.h"

#include <windows.h>

#include <memory>
#include <string_view>

// Shows a prompt of the given kind (1–4) and returns IDOK (1) or IDCANCEL (2).
INT_PTR RunPrompt(HWND owner, float scale, std::wstring_view text, int kind);

// A message with one confirm button (kind 3): 1 when confirmed, 2 when closed by the cross.
INT_PTR ShowMessagePrompt(HWND owner, float scale, std::wstring_view text);

// A yes/no question (kind 2): true only when the user answered 是.
bool AskYesNo(HWND owner, float scale, std::wstring_view text);

// Replaces the window in `slot` by a new progress window owned by `owner` and runs it until a 0x5F5 forwarded
// by CloseProgressWindow ends it. The window object stays in the slot afterwards.
// With a stop handler, Esc or Alt+F4 asks `stopQuestion` and stops the work on 是 (see CExecutePromptDlg).
INT_PTR RunProgressWindow(std::unique_ptr<CExecutePromptDlg>& slot, HWND owner, float scale, std::wstring_view text,
                          CExecutePromptDlg::StopHandler stop = nullptr, std::wstring_view stopQuestion = {});

// Forwards 0x5F5 to the progress window of the slot when it is up.
void CloseProgressWindow(const std::unique_ptr<CExecutePromptDlg>& slot);
