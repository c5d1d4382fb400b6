// Prompt and progress helpers.
#include "ui/Prompts.h"

#include "console/WorkerReport.h"
#include "ui/PromptDlg.h"
#include "ui/layout/PromptLayout.h"

INT_PTR RunPrompt(HWND owner, float scale, std::wstring_view text, int kind) {
    CPromptDlg prompt(owner);
    prompt.SetScale(scale);
    prompt.SetText(text);
    prompt.SetKind(kind);
    return prompt.DoModal();
}

INT_PTR ShowMessagePrompt(HWND owner, float scale, std::wstring_view text) {
    return RunPrompt(owner, scale, text, kPromptConfirm);
}

bool AskYesNo(HWND owner, float scale, std::wstring_view text) {
    return RunPrompt(owner, scale, text, kPromptYesNo) == IDOK;
}

INT_PTR RunProgressWindow(std::unique_ptr<CExecutePromptDlg>& slot, HWND owner, float scale, std::wstring_view text,
                          CExecutePromptDlg::StopHandler stop, std::wstring_view stopQuestion) {
    slot.reset();
    slot = std::make_unique<CExecutePromptDlg>(owner);
    slot->SetText(text);
    slot->SetStopHandler(stop, stopQuestion);
    slot->SetScale(scale);
    return slot->DoModal();
}

void CloseProgressWindow(const std::unique_ptr<CExecutePromptDlg>& slot) {
    if (slot && slot->IsWindow()) {
        slot->Send(kMsgWorkFinished, 0, 0);
    }
}
