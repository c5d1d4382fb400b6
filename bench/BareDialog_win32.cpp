// The yardstick of the tool's start-up: a program that shows one dialog of the main window's size and font, made
// from an in-memory template, and nothing else.
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

// A DLGTEMPLATEEX of 457 x 369 dialog units in "宋体" 10 with one static text.
std::vector<WORD> DialogTemplate() {
    std::vector<WORD> t;
    auto add = [&t](const void* data, size_t bytes) {
        const auto* words = static_cast<const WORD*>(data);
        t.insert(t.end(), words, words + bytes / 2);
    };
    auto text = [&t](const wchar_t* s) {
        for (; *s != 0; ++s)
            t.push_back(static_cast<WORD>(*s));
        t.push_back(0);
    };
    auto align = [&t] {
        if (t.size() % 2 != 0)
            t.push_back(0);
    };
    const WORD head[] = {1, 0xFFFF};
    add(head, sizeof(head));
    const DWORD helpId = 0, exStyle = 0, style = DS_SETFONT | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    add(&helpId, 4);
    add(&exStyle, 4);
    add(&style, 4);
    const WORD layout[] = {1, 0, 0, 457, 369, 0, 0}; // one item; x, y, cx, cy; no menu; default class
    add(layout, sizeof(layout));
    text(L"bare dialog");
    const WORD font[] = {10, 400};
    add(font, sizeof(font));
    const BYTE italicCharset[] = {0, 0x86};
    add(italicCharset, 2);
    text(L"宋体");
    align();
    const DWORD itemHelp = 0, itemExStyle = 0, itemStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
    add(&itemHelp, 4);
    add(&itemExStyle, 4);
    add(&itemStyle, 4);
    const WORD item[] = {10, 10, 200, 10};
    add(item, sizeof(item));
    const DWORD itemId = 1000;
    add(&itemId, 4);
    const WORD staticClass[] = {0xFFFF, 0x0082};
    add(staticClass, sizeof(staticClass));
    text(L"一个空的对话框");
    t.push_back(0); // no creation data
    return t;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    if (message == WM_CLOSE) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const std::vector<WORD> dialog = DialogTemplate();
    DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), nullptr, DialogProc, 0);
    return 0;
}
