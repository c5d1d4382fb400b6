// A window with a long rich-edit text wrapped in the skinned scroll bar, for the GUI tests. It reports the text
// box's own scroll state and the skinned bar's on standard output whenever either changes:
//   state pos=<own position> largest=<largest position> page=<page> bar=<skinned bar position>
//         barmax=<skinned bar maximum> track=<skinned bar track position> first=<first visible line>
//         lines=<line count> focus=<1 when the text box has the focus> hpos=<own horizontal position>
//         hbar=<skinned horizontal bar position>
//
//   scrollbox [--lines n] [--edit]       n lines of text (300); --edit: a multi-line edit box with both bars and
//                                        long lines
#include "resources/resource.h"
#include "ui/controls/SkinScrollWnd.h"
#include "ui/layout/ScaleRule.h"

#include <windows.h>

#include <richedit.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

constexpr int kTextId = 1009;
constexpr UINT_PTR kReportTimer = 1;

HWND g_box = nullptr;
CSkinScrollWnd* g_frame = nullptr;
std::string g_lastReport;

void Say(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Report() {
    if (g_box == nullptr || !::IsWindow(g_box)) {
        return;
    }
    SCROLLINFO own{};
    own.cbSize = sizeof(own);
    own.fMask = SIF_ALL;
    ::GetScrollInfo(g_box, SB_VERT, &own);
    SCROLLINFO bar{};
    bar.cbSize = sizeof(bar);
    bar.fMask = SIF_ALL;
    if (g_frame != nullptr) {
        ::GetScrollInfo(g_frame->VerticalBar().Hwnd(), SB_CTL, &bar);
    }
    SCROLLINFO ownHorizontal{};
    ownHorizontal.cbSize = sizeof(ownHorizontal);
    ownHorizontal.fMask = SIF_POS;
    ::GetScrollInfo(g_box, SB_HORZ, &ownHorizontal);
    SCROLLINFO horizontal{};
    horizontal.cbSize = sizeof(horizontal);
    horizontal.fMask = SIF_POS;
    if (g_frame != nullptr) {
        ::GetScrollInfo(g_frame->HorizontalBar().Hwnd(), SB_CTL, &horizontal);
    }
    const int largest = own.nMax - (own.nPage > 0 ? static_cast<int>(own.nPage) - 1 : 0);
    char line[320];
    std::snprintf(line, sizeof(line),
                  "state pos=%d largest=%d page=%u bar=%d barmax=%d track=%d first=%d lines=%d focus=%d hpos=%d "
                  "hbar=%d",
                  own.nPos, largest, own.nPage, bar.nPos, bar.nMax, bar.nTrackPos,
                  static_cast<int>(::SendMessageW(g_box, EM_GETFIRSTVISIBLELINE, 0, 0)),
                  static_cast<int>(::SendMessageW(g_box, EM_GETLINECOUNT, 0, 0)), ::GetFocus() == g_box ? 1 : 0,
                  ownHorizontal.nPos, horizontal.nPos);
    if (g_lastReport != line) {
        g_lastReport = line;
        Say(line);
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kReportTimer) {
            Report();
            return 0;
        }
        break;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring Text(int lines, int repeat) {
    std::wstring text;
    for (int i = 1; i <= lines; ++i) {
        text += L"    " + std::to_wstring(i) + L". 第 " + std::to_wstring(i) + L" 行：";
        for (int r = 0; r < repeat; ++r) {
            text += L"用户使用须知与隐私权保护";
        }
        if (i < lines) {
            text += L"\r\n";
        }
    }
    return text;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int lines = 300;
    bool edit = false;
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--lines") == 0 && i + 1 < argc) {
            lines = std::wcstol(argv[++i], nullptr, 10);
        } else if (std::wcscmp(argv[i], L"--edit") == 0) {
            edit = true;
        }
    }
    ::LocalFree(argv);

    ::LoadLibraryW(L"riched20.dll");
    HDC screen = ::GetDC(nullptr);
    const float scale = ScaleFromDpi(::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"ScrollBoxWindow";
    ::RegisterClassExW(&wc);
    const int width = Trunc(460 * scale);
    const int height = Trunc(360 * scale);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"scrollbox", WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 100,
                                    width, height, nullptr, nullptr, instance, nullptr);
    const int inset = Trunc(20 * scale);
    if (edit) {
        g_box = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                                      ES_AUTOVSCROLL,
                                  inset, inset, width - 2 * inset, height - 2 * inset, window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), instance, nullptr);
    } else {
        g_box = ::CreateWindowExW(0, L"RichEdit20W", L"",
                                  WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE |
                                      ES_READONLY | ES_DISABLENOSCROLL,
                                  inset, inset, width - 2 * inset, height - 2 * inset, window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), instance, nullptr);
    }
    if (g_box == nullptr) {
        Say("error no text box");
        return 2;
    }
    ::SendMessageW(g_box, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    HBITMAP skin = ::LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_SCROLL_SKIN));
    g_frame = SkinWndScroll(g_box, skin, scale, 0);
    // The frame keeps its own copy of the skin.
    ::DeleteObject(skin);
    if (g_frame == nullptr) {
        Say("error not wrapped");
        return 3;
    }
    ::SetWindowTextW(g_box, Text(lines, edit ? 8 : 1).c_str());
    ::SetFocus(g_box);
    char ready[64];
    std::snprintf(ready, sizeof(ready), "ready scale=%.2f thickness=%d", scale, g_frame->Thickness());
    Say(ready);
    Report();
    ::SetTimer(window, kReportTimer, 20, nullptr);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
