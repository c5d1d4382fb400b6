// Problem-solved feedback window frame.
#include "ui/ProblemSolvingFeedbackDlg.h"

#include "framework/GdiObjects.h"
#include "resources/resource.h"
#include "ui/ProblemSolvingFeedbackChildDlg.h"
#include "ui/controls/SkinPainting.h"
#include "ui/layout/FeedbackLayout.h"
#include "ui/layout/ScaleRule.h"

CProblemSolvingFeedbackDlg::CProblemSolvingFeedbackDlg(HWND owner) : CSkinnedDialog(IDD_FEEDBACK, owner) {}

CProblemSolvingFeedbackDlg::~CProblemSolvingFeedbackDlg() = default;

int CProblemSolvingFeedbackDlg::FramePictureId() const {
    return IDP_FEEDBACK_FRAME;
}

BOOL CProblemSolvingFeedbackDlg::OnInitDialog() {
    ChangeWindowText(L"videzure");
    {
        CClientDc screen(nullptr);
        const Rect work = WorkAreaOf(::GetWindow(m_hwnd, GW_OWNER));
        m_scale = FitScale(ScaleFromDpi(::GetDeviceCaps(screen.Get(), LOGPIXELSY)), kFeedbackFrameDesignSize,
                           {work.Width(), work.Height()});
    }
    const Size size = FeedbackFrameSize(m_scale);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, ::GetWindowLongW(m_hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    // Without its picture, or without its content, the window would be an invisible modal loop that nothing can
    // end: it closes at once instead, as if the user had dismissed it, and reports nothing.
    if (!EnsurePng(FramePictureId(), m_background) || !PushLayeredPicture(m_hwnd, m_background->Get(), size, true)) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_content = std::make_unique<CProblemSolvingFeedbackChildDlg>(*this);
    m_content->SetScale(m_scale);
    m_content->SetBridge(m_bridge);
    if (!m_content->Create(IDD_FEEDBACK_CHILD, m_hwnd)) {
        m_content.reset();
        EndDialog(IDCANCEL);
        return TRUE;
    }
    m_content->MoveWindow(FeedbackContentRect(WindowRect(), m_scale));
    m_content->ShowWindow(SW_SHOW);
    KeepAbove(m_content->Hwnd());
    return TRUE;
}

bool CProblemSolvingFeedbackDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // A system close (Alt+F4) on the frame is answered by the content as its close cross: reported, then closed.
    // The frame's own WM_CLOSE stays the plain end of the loop, which every answer of the content sends.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE && m_content && m_content->IsWindow()) {
        m_content->Send(WM_CLOSE, 0, 0);
        result = 0;
        return true;
    }
    return CSkinnedDialog::OnMessage(message, wParam, lParam, result);
}

void CProblemSolvingFeedbackDlg::OnMove(int, int) {
    if (m_frameMovesContent && m_content && m_content->IsWindow()) {
        m_content->MoveWindow(FeedbackContentFollowRect(WindowRect(), m_scale));
    }
}

void CProblemSolvingFeedbackDlg::FollowContent(const Rect& contentWindow) {
    m_frameMovesContent = 0;
    MoveWindow(FeedbackFrameFollowRect(contentWindow, m_scale));
}

void CProblemSolvingFeedbackDlg::OnDestroy() {
    m_background.reset();
    if (m_content) {
        m_content->DestroyWindow();
        m_content.reset();
    }
}
