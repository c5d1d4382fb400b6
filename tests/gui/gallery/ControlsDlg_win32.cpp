// Gallery page of the skinned controls.
#include "ControlsDlg.h"

#include "GalleryIds.h"
#include "GalleryOutput.h"

#include <string>

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr COLORREF kBackground = RGB(40, 120, 100);

struct Placement {
    int id;
    int x, y, width, height;
};

// Positions at scale 1; the page is 720 x 470.
constexpr Placement kPngPlaces[] = {
    {IDC_G_CONFIRM, 20, 20, 55, 24},   {IDC_G_YES, 90, 20, 55, 24},
    {IDC_G_NO, 160, 20, 55, 24},       {IDC_G_CANCEL, 230, 20, 55, 24},
    {IDC_G_CROSS, 300, 26, 12, 12},    {IDC_G_MAIN_CLOSE, 330, 15, 26, 34},
    {IDC_G_MINIMISE, 366, 15, 26, 34}, {IDC_G_FEEDBACK_CROSS, 402, 26, 12, 12},
    {IDC_G_DISABLED, 430, 20, 55, 24}, {IDC_G_MISSING, 500, 20, 55, 24},
};
constexpr int kPngImages[][4] = {
    {171, 172, 173, 173}, {174, 175, 176, 176}, {168, 169, 170, 170}, {162, 163, 164, 164}, {165, 166, 167, 167},
    {142, 143, 144, 145}, {148, 149, 150, 151}, {179, 180, 181, 182}, {171, 172, 173, 173}, {9990, 9991, 9992, 9993},
};
constexpr Placement kImagePlaces[] = {
    {IDC_G_SOLVED, 20, 70, 266, 60},           {IDC_G_NOT_SOLVED, 300, 70, 266, 60},
    {IDC_G_MORE_SOLUTIONS, 20, 140, 266, 60},  {IDC_G_MORE_TOOLS, 300, 150, 58, 18},
    {IDC_G_UNINSTALL, 380, 140, 118, 36},      {IDC_G_STRIP, 20, 210, 259, 85},
    {IDC_G_STRIP_DISABLED, 300, 210, 259, 85}, {IDC_G_IMAGE_MISSING, 580, 210, 100, 40},
};
constexpr int kImageImages[][4] = {
    {184, 185, 186, 187}, {190, 191, 192, 193}, {152, 153, 154, 155}, {156, 157, 158, 159},
    {196, 197, 198, 199}, {188, 0, 0, 0},       {188, 0, 0, 0},       {9994, 9995, 9996, 9997},
};
constexpr Placement kCheckPlace{IDC_G_CHECK, 20, 310, 80, 20};
constexpr Placement kLinkPlace{IDC_G_LINK, 300, 310, 260, 20};
constexpr Placement kStatePlace{IDC_G_STATE, 300, 340, 260, 30};

} // namespace

CControlsDlg::CControlsDlg(float scale) : CDialog(IDD_GALLERY_CONTROLS, nullptr), m_scale(scale) {
    m_background = std::make_unique<Gdiplus::Bitmap>(720, 470, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(m_background.get());
    graphics.Clear(Gdiplus::Color(255, GetRValue(kBackground), GetGValue(kBackground), GetBValue(kBackground)));
}

CControlsDlg::~CControlsDlg() = default;

Rect CControlsDlg::Scaled(int x, int y, int width, int height) const {
    return Rect::FromSize(Trunc(x * m_scale), Trunc(y * m_scale), Trunc(width * m_scale), Trunc(height * m_scale));
}

void CControlsDlg::BindControls() {
    for (size_t i = 0; i < m_pngButtons.size(); ++i) {
        Bind(m_pngButtons[i], kPngPlaces[i].id);
    }
    for (size_t i = 0; i < m_imageButtons.size(); ++i) {
        Bind(m_imageButtons[i], kImagePlaces[i].id);
    }
    Bind(m_check, IDC_G_CHECK);
    for (size_t i = 0; i < m_texts.size(); ++i) {
        Bind(m_texts[i], IDC_G_TEXT0 + static_cast<int>(i));
    }
    Bind(m_link, IDC_G_LINK);
    Bind(m_state, IDC_G_STATE);
}

BOOL CControlsDlg::OnInitDialog() {
    // Client area of 720 x 470 design pixels.
    RECT frame{0, 0, Trunc(720 * m_scale), Trunc(470 * m_scale)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(m_hwnd, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongW(m_hwnd, GWL_EXSTYLE)));
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER);

    Gdiplus::Image* back = m_background.get();
    for (size_t i = 0; i < m_pngButtons.size(); ++i) {
        const Placement& p = kPngPlaces[i];
        CPngButton& button = m_pngButtons[i];
        button.SetScale(m_scale);
        button.SetBackImage(back);
        button.SetBackSourceRect(p.x, p.y, p.x + p.width, p.y + p.height);
        button.SetStateImages(kPngImages[i][0], kPngImages[i][1], kPngImages[i][2], kPngImages[i][3]);
        button.MoveWindow(Scaled(p.x, p.y, p.width, p.height));
    }
    for (size_t i = 0; i < m_imageButtons.size(); ++i) {
        const Placement& p = kImagePlaces[i];
        CImageButton& button = m_imageButtons[i];
        button.SetBackImage(back);
        button.SetBackSourceRect(p.x, p.y, p.x + p.width, p.y + p.height);
        if (kImageImages[i][1] == 0) {
            button.SetStripImage(kImageImages[i][0]);
            button.SetHotMargins(Trunc(19 * m_scale), Trunc(19 * m_scale), Trunc(19 * m_scale), Trunc(19 * m_scale));
        } else {
            button.SetStateImages(kImageImages[i][0], kImageImages[i][1], kImageImages[i][2], kImageImages[i][3]);
            button.SetHotMargins(Trunc(9 * m_scale), Trunc(9 * m_scale), Trunc(9 * m_scale), Trunc(9 * m_scale));
        }
        button.MoveWindow(Scaled(p.x, p.y, p.width, p.height));
    }

    m_check.SetScale(m_scale);
    m_check.SetBackImage(back);
    m_check.SetBackSourceRect(kCheckPlace.x, kCheckPlace.y, kCheckPlace.x + kCheckPlace.width,
                              kCheckPlace.y + kCheckPlace.height);
    m_check.InitFontFromParent();
    m_check.SetTextColor(RGB(255, 255, 255));
    m_check.SetCheck(BST_CHECKED);
    m_check.MoveWindow(Scaled(kCheckPlace.x, kCheckPlace.y, kCheckPlace.width, kCheckPlace.height));

    for (size_t i = 0; i < m_texts.size(); ++i) {
        m_texts[i].CreateFontFromParent(0, 0);
        m_texts[i].SetAlignment(static_cast<int>(i));
        const int column = static_cast<int>(i % 2);
        const int row = static_cast<int>(i / 2);
        m_texts[i].MoveWindow(Scaled(20 + column * 350, 380 + row * 28, 330, 24));
    }

    m_link.CreateFontFromParent(0, 0);
    m_link.SetAlignment(1);
    m_link.SetTextColors(RGB(0x5C, 0x5C, 0xFF), RGB(0, 0, 0xFF));
    m_link.MoveWindow(Scaled(kLinkPlace.x, kLinkPlace.y, kLinkPlace.width, kLinkPlace.height));

    m_state.InitFontFromParent();
    m_state.SetAlignment(2);
    m_state.SetBackImage(back);
    m_state.SetBackSourceRect(kStatePlace.x, kStatePlace.y, kStatePlace.x + kStatePlace.width,
                              kStatePlace.y + kStatePlace.height);
    m_state.SetTextColor(RGB(255, 255, 255));
    m_state.MoveWindow(Scaled(kStatePlace.x, kStatePlace.y, kStatePlace.width, kStatePlace.height));
    m_state.StartAnimation();

    SetTimer(kPollTimer, 50);
    Say(L"ready");
    return TRUE;
}

void CControlsDlg::Report(int id, int value, const wchar_t* what) {
    const int key = id * 10 + (what[0] == L'h' ? 1 : 0);
    const auto found = m_reported.find(key);
    if (found != m_reported.end() && found->second == value) {
        return;
    }
    m_reported[key] = value;
    Say(std::wstring(what) + L" " + std::to_wstring(id) + L" " + std::to_wstring(value));
}

bool CControlsDlg::OnTimer(UINT_PTR id) {
    if (id != kPollTimer) {
        return false;
    }
    for (size_t i = 0; i < m_pngButtons.size(); ++i) {
        Report(kPngPlaces[i].id, m_pngButtons[i].State(), L"state");
    }
    for (size_t i = 0; i < m_imageButtons.size(); ++i) {
        Report(kImagePlaces[i].id, m_imageButtons[i].State(), L"state");
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    m_link.UpdateHover(cursor.x, cursor.y);
    Report(IDC_G_LINK, m_link.Hover() ? 1 : 0, L"hover");
    return true;
}

bool CControlsDlg::OnCommand(int id, int code, HWND control) {
    if (code != BN_CLICKED) {
        return CDialog::OnCommand(id, code, control);
    }
    for (size_t i = 0; i < m_imageButtons.size(); ++i) {
        if (kImagePlaces[i].id == id) {
            const bool hot = m_imageButtons[i].IsPointerInHotArea();
            Say(L"click " + std::to_wstring(id) + L" hot=" + (hot ? L"1" : L"0"));
            return true;
        }
    }
    if (id == IDC_G_CHECK) {
        Say(L"check " + std::to_wstring(m_check.GetCheck()));
        return true;
    }
    if (id >= IDC_G_CONFIRM && id <= IDC_G_MISSING) {
        Say(L"click " + std::to_wstring(id));
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CControlsDlg::OnEraseBackground(HDC dc) {
    const Rect client = ClientRect();
    CMemoryDc memory(dc, client.Width(), client.Height());
    if (memory.Valid()) {
        {
            Gdiplus::Graphics graphics(memory.Dc());
            graphics.DrawImage(m_background.get(), 0, 0, client.Width(), client.Height());
        }
        memory.CopyTo(dc);
    }
    return true;
}

void CControlsDlg::OnDestroy() {
    KillTimer(kPollTimer);
    m_state.ResetAnimation();
    for (CPngButton& button : m_pngButtons) {
        button.ReleaseImages();
    }
    for (CImageButton& button : m_imageButtons) {
        button.ReleaseImages();
    }
}
