// Problem-solved feedback window frame.
#include "ui/ProblemSolvingFeedbackDlg.h"

#include "framework/GdiObjects.h"
#include "resources/resource.h"
#include "ui/ProblemSolvingFeedbackChildDlg.h"
#include "ui/layout/FeedbackLayout.h"
#include "ui/layout/ScaleRule.h"

CProblemSolvingFeedbackDlg::CProblemSolvingFeedbackDlg(HWND owner) : CFramePopupDlg(IDD_FEEDBACK, owner) {}

CProblemSolvingFeedbackDlg::~CProblemSolvingFeedbackDlg() = default;

int CProblemSolvingFeedbackDlg::FramePictureId() const {
    return IDP_FEEDBACK_FRAME;
}

Rect CProblemSolvingFeedbackDlg::ContentRect(const Rect& frameWindow) const {
    return FeedbackContentRect(frameWindow, m_scale);
}

Rect CProblemSolvingFeedbackDlg::ContentFollowRect(const Rect& frameWindow) const {
    return FeedbackContentFollowRect(frameWindow, m_scale);
}

Rect CProblemSolvingFeedbackDlg::FrameFollowRect(const Rect& contentWindow) const {
    return FeedbackFrameFollowRect(contentWindow, m_scale);
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
    MakeLayered(size);
    // Without its picture, or without its content, the window would be an invisible modal loop that nothing can
    // end: it closes at once instead, as if the user had dismissed it, and reports nothing.
    if (!PushFramePicture(size, true)) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    auto content = std::make_unique<CProblemSolvingFeedbackChildDlg>(*this);
    content->SetScale(m_scale);
    content->SetBridge(m_bridge);
    if (!AttachContent(std::move(content), IDD_FEEDBACK_CHILD)) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    PlaceContent(true);
    return TRUE;
}

bool CProblemSolvingFeedbackDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // A system close (Alt+F4) on the frame is answered by the content as its close cross: reported, then closed.
    // The frame's own WM_CLOSE stays the plain end of the loop, which every answer of the content sends.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE && HasContentWindow()) {
        ContentWindow()->Send(WM_CLOSE, 0, 0);
        result = 0;
        return true;
    }
    return CFramePopupDlg::OnMessage(message, wParam, lParam, result);
}
