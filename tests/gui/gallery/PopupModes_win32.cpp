// Gallery modes of the agreement and feedback windows.
#include "PopupModes.h"

#include "GalleryIds.h"
#include "GalleryOutput.h"

#include "feedback/FeedbackBridge.h"
#include "framework/Dialog.h"
#include "resources/resource.h"
#include "ui/ProblemSolvingFeedbackDlg.h"
#include "ui/TooltipChildDlg.h"
#include "ui/TooltipDlg.h"
#include "ui/controls/SkinScrollWnd.h"

#include <richedit.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kMissingPicture = 9999;
constexpr int kLinkId = 9100;
constexpr UINT_PTR kPollTimer = 1;

bool Has(const std::vector<std::wstring>& args, const wchar_t* option) {
    for (const std::wstring& arg : args) {
        if (arg == option) {
            return true;
        }
    }
    return false;
}

class CGalleryTooltip : public CTooltipDlg {
public:
    explicit CGalleryTooltip(bool missingFrame) : m_missingFrame(missingFrame) {}

protected:
    int FramePictureId() const override { return m_missingFrame ? kMissingPicture : CTooltipDlg::FramePictureId(); }

private:
    bool m_missingFrame;
};

// Stands in for the main window: 800 x 600 design pixels, the agreement link at the bottom left.
class CAgreementHostDlg : public CDialog {
public:
    CAgreementHostDlg(float scale, bool missingFrame, bool shortText)
        : CDialog(IDD_GALLERY_OWNER, nullptr), m_scale(scale), m_missingFrame(missingFrame), m_shortText(shortText) {}

protected:
    BOOL OnInitDialog() override {
        const int width = static_cast<int>(800 * m_scale);
        const int height = static_cast<int>(600 * m_scale);
        ::SetWindowPos(m_hwnd, nullptr, 40, 30, width, height, SWP_NOZORDER);
        const Rect client = ClientRect();
        const int linkHeight = static_cast<int>(24 * m_scale);
        ::CreateWindowExW(0, L"Button", L"《Varunel服务工具使用许可协议》", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 40,
                          client.bottom - linkHeight - 4, static_cast<int>(260 * m_scale), linkHeight, m_hwnd,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLinkId)), ::GetModuleHandleW(nullptr), nullptr);
        ::SendDlgItemMessageW(m_hwnd, kLinkId, WM_SETFONT, ::SendMessageW(m_hwnd, WM_GETFONT, 0, 0), TRUE);
        SetTimer(kPollTimer, 100);
        return TRUE;
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (id == kLinkId && code == BN_CLICKED) {
            // What the main window does on a click on its agreement link.
            if (!m_agreement) {
                m_agreement = std::make_unique<CGalleryTooltip>(m_missingFrame);
                m_agreement->SetScale(m_scale);
                if (!m_agreement->Create(IDD_TOOLTIP, m_hwnd)) {
                    Say(L"agreement not created");
                }
                Say(m_agreement->Content() != nullptr ? L"content created" : L"no content");
                if (m_shortText && m_agreement->Content() != nullptr) {
                    ::SetWindowTextW(m_agreement->Content()->TextBox(), L"一行文字\r\n两行文字");
                }
            }
            m_agreement->PlaceOver(WindowRect());
            m_agreement->Toggle();
            return true;
        }
        return CDialog::OnCommand(id, code, control);
    }

    bool OnLButtonDown(UINT, Point) override {
        // A click anywhere else hides the agreement window.
        if (m_agreement) {
            m_agreement->ShowPair(false);
        }
        return true;
    }

    bool OnTimer(UINT_PTR id) override {
        if (id != kPollTimer) {
            return false;
        }
        Report();
        return true;
    }

    void OnDestroy() override {
        KillTimer(kPollTimer);
        if (m_agreement) {
            m_agreement->DestroyWindow();
            m_agreement.reset();
        }
    }

private:
    void Report() {
        if (!m_agreement) {
            return;
        }
        const int shown = m_agreement->IsShown() ? 1 : 0;
        if (shown != m_shown) {
            m_shown = shown;
            Say(L"shown " + std::to_wstring(shown));
        }
        CTooltipChildDlg* content = m_agreement->Content();
        if (content == nullptr || content->TextBox() == nullptr) {
            return;
        }
        HWND box = content->TextBox();
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_ALL;
        ::GetScrollInfo(box, SB_VERT, &info);
        int barPos = -1, barMax = -1, barPage = -1;
        if (CSkinScrollWnd* frame = CSkinScrollWnd::FromControl(box)) {
            const ScrollValues& values = frame->VerticalBar().Values();
            barPos = values.pos;
            barMax = values.max;
            barPage = values.page;
        }
        const int first = static_cast<int>(::SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0));
        const int lines = static_cast<int>(::SendMessageW(box, EM_GETLINECOUNT, 0, 0));
        const int length = ::GetWindowTextLengthW(box);
        POINTL last{};
        ::SendMessageW(box, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&last), length > 0 ? length - 1 : 0);
        RECT client{};
        ::GetClientRect(box, &client);
        wchar_t line[200];
        std::swprintf(line, 200, L"scroll pos=%d max=%d page=%u bar=%d/%d/%d first=%d lines=%d last=%ld/%ld", info.nPos,
                      info.nMax, info.nPage, barPos, barMax, barPage, first, lines, last.y, client.bottom);
        if (m_lastReport != line) {
            m_lastReport = line;
            Say(line);
        }
    }

    float m_scale;
    bool m_missingFrame;
    bool m_shortText;
    std::unique_ptr<CTooltipDlg> m_agreement;
    int m_shown = -1;
    std::wstring m_lastReport;
};

class CGalleryFeedback : public CProblemSolvingFeedbackDlg {
public:
    explicit CGalleryFeedback(bool missingFrame) : m_missingFrame(missingFrame) {}

protected:
    int FramePictureId() const override {
        return m_missingFrame ? kMissingPicture : CProblemSolvingFeedbackDlg::FramePictureId();
    }

private:
    bool m_missingFrame;
};

} // namespace

int RunAgreementMode(const std::vector<std::wstring>& args, float scale) {
    CAgreementHostDlg host(scale, Has(args, L"--missing-frame"), Has(args, L"--short-text"));
    const INT_PTR result = host.DoModal();
    Say(L"closed " + std::to_wstring(result));
    return 0;
}

int RunFeedbackMode(const std::vector<std::wstring>& args) {
    FeedbackBridge bridge;
    const bool withBridge = !Has(args, L"--no-bridge");
    if (withBridge) {
        const FeedbackStart start = StartFeedback(bridge);
        Say(start == FeedbackStart::Ready ? L"bridge ready" : L"bridge failed");
    }
    INT_PTR result = 0;
    {
        CGalleryFeedback feedback(Has(args, L"--missing-frame"));
        feedback.SetBridge(withBridge ? &bridge : nullptr);
        result = feedback.DoModal();
    }
    Say(L"result " + std::to_wstring(result));
    return static_cast<int>(result);
}
