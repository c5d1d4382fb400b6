// Window probe for the GUI tests: lists the windows of a process (by executable name) with class, id, text,
// rectangles and state, one JSON object per line in UTF-8, so that a test on the Linux side can find and check
// them. Runs once ("probe list <exe>") or as a server reading commands from standard input ("probe serve"):
//   list <exe>   every top-level window of the processes running <exe>, then their descendants, then "end"
//   screen       {"dpi":..,"screen":[w,h],"work":[l,t,r,b]} then "end"
//   cursor       {"cursor":[x,y]} then "end"
//   focus        {"focus":hwnd,"active":hwnd} of the foreground window's thread (0 for none), then "end"
//   zorder       {"zorder":[hwnd,...]} the visible top-level windows from the top down, then "end"
//   at <x> <y>   {"hwnd":..} of the window at a screen point (WindowFromPoint) then "end"
//   tree <hwnd>  the items of a tree view in display order: {"level","text","selected","expanded","data","rect"}
//   rows <hwnd>  a list view: {"count","mark","exstyle","columns":[{"text","width","fmt"}]}, then per row
//                {"index","cells":[..],"selected","data","rect"}, then "end" (rectangles on screen)
//   hold <path>  opens a file for this process alone (a lock another program waits for): {"held":0|1}, "end"
//   release      closes the held file, then "end"
//   quit
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                          nullptr);
    return result;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::string Json(const std::wstring& text) {
    std::string out = "\"";
    for (char c : Utf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void Emit(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::wstring ProcessName(DWORD pid) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        return {};
    }
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    std::wstring name;
    if (::QueryFullProcessImageNameW(process, 0, path, &size)) {
        name = path;
        const size_t slash = name.find_last_of(L"\\/");
        if (slash != std::wstring::npos) {
            name = name.substr(slash + 1);
        }
    }
    ::CloseHandle(process);
    return name;
}

std::string RectJson(const RECT& r) {
    char text[96];
    std::snprintf(text, sizeof(text), "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
    return text;
}

std::string Handle(HWND hwnd) {
    char text[32];
    std::snprintf(text, sizeof(text), "%lu", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd)));
    return text;
}

void Describe(HWND hwnd, bool topLevel, int order) {
    wchar_t className[256] = {};
    ::GetClassNameW(hwnd, className, 256);
    std::wstring text;
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), length + 1)));
    }
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char numbers[512];
    std::snprintf(numbers, sizeof(numbers),
                  "\"pid\":%lu,\"id\":%ld,\"visible\":%d,\"enabled\":%d,\"style\":%lu,\"exstyle\":%lu,\"top\":%d,"
                  "\"order\":%d",
                  pid, static_cast<long>(::GetWindowLongPtrW(hwnd, GWLP_ID)), ::IsWindowVisible(hwnd) ? 1 : 0,
                  ::IsWindowEnabled(hwnd) ? 1 : 0, static_cast<unsigned long>(::GetWindowLongW(hwnd, GWL_STYLE)),
                  static_cast<unsigned long>(::GetWindowLongW(hwnd, GWL_EXSTYLE)), topLevel ? 1 : 0, order);
    Emit("{\"hwnd\":" + Handle(hwnd) + ",\"parent\":" + Handle(::GetAncestor(hwnd, GA_PARENT)) + ",\"owner\":" +
         Handle(::GetWindow(hwnd, GW_OWNER)) + ",\"class\":" + Json(className) + ",\"text\":" + Json(text) +
         ",\"rect\":" + RectJson(window) + ",\"client\":" + RectJson(client) + "," + numbers + "}");
}

struct Search {
    std::wstring exe;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != 0 && ::lstrcmpiW(ProcessName(pid).c_str(), search->exe.c_str()) == 0) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

BOOL CALLBACK DescribeChild(HWND hwnd, LPARAM data) {
    auto* order = reinterpret_cast<int*>(data);
    Describe(hwnd, false, (*order)++);
    return TRUE;
}

void List(const std::wstring& exe) {
    Search search{exe, {}};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    int order = 0;
    for (HWND hwnd : search.found) {
        Describe(hwnd, true, order++);
    }
    for (HWND hwnd : search.found) {
        int childOrder = 0;
        ::EnumChildWindows(hwnd, DescribeChild, reinterpret_cast<LPARAM>(&childOrder));
    }
    Emit("end");
}

void Screen() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    char text[160];
    std::snprintf(text, sizeof(text), "{\"dpi\":%d,\"screen\":[%d,%d],\"work\":%s}", dpi,
                  ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), RectJson(work).c_str());
    Emit(text);
    Emit("end");
}

void Cursor() {
    POINT p{};
    ::GetCursorPos(&p);
    char text[64];
    std::snprintf(text, sizeof(text), "{\"cursor\":[%ld,%ld]}", p.x, p.y);
    Emit(text);
    Emit("end");
}

void ZOrder() {
    std::string list = "{\"zorder\":[";
    int count = 0;
    for (HWND hwnd = ::GetTopWindow(nullptr); hwnd != nullptr && count < 400; hwnd = ::GetWindow(hwnd, GW_HWNDNEXT)) {
        if (::IsWindowVisible(hwnd)) {
            list += (count++ ? "," : "") + Handle(hwnd);
        }
    }
    Emit(list + "]}");
    Emit("end");
}

void At(const std::string& arguments) {
    POINT p{};
    if (std::sscanf(arguments.c_str(), "%ld %ld", &p.x, &p.y) != 2) {
        Emit("{\"error\":\"at needs x and y\"}");
    } else {
        Emit("{\"hwnd\":" + Handle(::WindowFromPoint(p)) + "}");
    }
    Emit("end");
}

// Memory inside the process that owns a control: the common controls take pointers in their own address
// space, so a question to another process's tree or list view is written there and its answer read back.
class RemoteBuffer {
public:
    RemoteBuffer(HWND control, size_t size) : m_size(size) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(control, &pid);
        m_process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process != nullptr) {
            m_address = ::VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer() {
        if (m_address != nullptr) {
            ::VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        }
        if (m_process != nullptr) {
            ::CloseHandle(m_process);
        }
    }
    bool Valid() const { return m_address != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(m_address) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        return offset + size <= m_size && ::WriteProcessMemory(m_process, At(offset), data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) const {
        return offset + size <= m_size && ::ReadProcessMemory(m_process, At(offset), data, size, nullptr);
    }

private:
    size_t m_size;
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};

constexpr size_t kTextOffset = 256;
constexpr int kTextChars = 512;

std::wstring RemoteText(const RemoteBuffer& buffer) {
    wchar_t text[kTextChars] = {};
    buffer.Read(kTextOffset, text, sizeof(text) - sizeof(wchar_t));
    return text;
}

std::string ScreenRectJson(HWND control, RECT r) {
    ::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return RectJson(r);
}

void DescribeTreeItem(HWND tree, const RemoteBuffer& buffer, HTREEITEM item, int level) {
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_STATE | TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    data.stateMask = TVIS_SELECTED | TVIS_EXPANDED;
    data.pszText = reinterpret_cast<wchar_t*>(buffer.At(kTextOffset));
    data.cchTextMax = kTextChars - 1;
    const wchar_t empty[kTextChars] = {};
    buffer.Write(kTextOffset, empty, sizeof(empty));
    buffer.Write(0, &data, sizeof(data));
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.At(0)));
    buffer.Read(0, &data, sizeof(data));
    const std::wstring text = RemoteText(buffer);

    // TVM_GETITEMRECT takes the item's handle in the rectangle it fills.
    RECT rect{};
    std::memcpy(&rect, &item, sizeof(item));
    buffer.Write(0, &rect, sizeof(rect));
    const bool shown = ::SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(buffer.At(0))) != 0;
    buffer.Read(0, &rect, sizeof(rect));
    if (!shown) {
        rect = RECT{};
    }
    char numbers[160];
    std::snprintf(numbers, sizeof(numbers), "\"level\":%d,\"selected\":%d,\"expanded\":%d,\"data\":%d,\"shown\":%d",
                  level, (data.state & TVIS_SELECTED) ? 1 : 0, (data.state & TVIS_EXPANDED) ? 1 : 0,
                  data.lParam != 0 ? 1 : 0, shown ? 1 : 0);
    Emit("{" + std::string(numbers) + ",\"text\":" + Json(text) +
         ",\"rect\":" + (shown ? ScreenRectJson(tree, rect) : std::string("[0,0,0,0]")) + "}");
}

void DescribeTreeLevel(HWND tree, const RemoteBuffer& buffer, HTREEITEM first, int level) {
    for (HTREEITEM item = first; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
        DescribeTreeItem(tree, buffer, item, level);
        DescribeTreeLevel(tree, buffer, TreeView_GetChild(tree, item), level + 1);
    }
}

HWND ParseHandle(const std::string& text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(text.c_str(), nullptr, 10)));
}

void Tree(const std::string& argument) {
    HWND tree = ParseHandle(argument);
    RemoteBuffer buffer(tree, kTextOffset + kTextChars * sizeof(wchar_t));
    if (!::IsWindow(tree) || !buffer.Valid()) {
        Emit("{\"error\":\"no tree view\"}");
    } else {
        DescribeTreeLevel(tree, buffer, TreeView_GetRoot(tree), 0);
    }
    Emit("end");
}

std::wstring ListCell(HWND list, const RemoteBuffer& buffer, int row, int column) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.At(kTextOffset));
    item.cchTextMax = kTextChars - 1;
    const wchar_t empty[kTextChars] = {};
    buffer.Write(kTextOffset, empty, sizeof(empty));
    buffer.Write(0, &item, sizeof(item));
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.At(0)));
    return RemoteText(buffer);
}

void Rows(const std::string& argument) {
    HWND list = ParseHandle(argument);
    RemoteBuffer buffer(list, kTextOffset + kTextChars * sizeof(wchar_t));
    if (!::IsWindow(list) || !buffer.Valid()) {
        Emit("{\"error\":\"no list view\"}");
        Emit("end");
        return;
    }
    std::string columns;
    int columnCount = 0;
    for (;; ++columnCount) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = reinterpret_cast<wchar_t*>(buffer.At(kTextOffset));
        column.cchTextMax = kTextChars - 1;
        const wchar_t empty[kTextChars] = {};
        buffer.Write(kTextOffset, empty, sizeof(empty));
        buffer.Write(0, &column, sizeof(column));
        if (!::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(columnCount),
                            reinterpret_cast<LPARAM>(buffer.At(0)))) {
            break;
        }
        buffer.Read(0, &column, sizeof(column));
        char numbers[64];
        std::snprintf(numbers, sizeof(numbers), ",\"width\":%d,\"fmt\":%d}", column.cx, column.fmt);
        columns += std::string(columnCount ? "," : "") + "{\"text\":" + Json(RemoteText(buffer)) + numbers;
    }
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    char header[160];
    std::snprintf(header, sizeof(header), "{\"count\":%d,\"mark\":%d,\"exstyle\":%lu,\"columns\":[", count,
                  static_cast<int>(::SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0)),
                  static_cast<unsigned long>(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)));
    Emit(header + columns + "]}");
    for (int row = 0; row < count; ++row) {
        std::string cells;
        for (int column = 0; column < columnCount; ++column) {
            cells += std::string(column ? "," : "") + Json(ListCell(list, buffer, row, column));
        }
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        buffer.Write(0, &item, sizeof(item));
        ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.At(0)));
        buffer.Read(0, &item, sizeof(item));
        RECT rect{};
        rect.left = LVIR_BOUNDS;
        buffer.Write(0, &rect, sizeof(rect));
        ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.At(0)));
        buffer.Read(0, &rect, sizeof(rect));
        const bool selected = ::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0;
        char numbers[96];
        std::snprintf(numbers, sizeof(numbers), "{\"index\":%d,\"selected\":%d,\"data\":%d,\"cells\":[", row,
                      selected ? 1 : 0, item.lParam != 0 ? 1 : 0);
        Emit(numbers + cells + "],\"rect\":" + ScreenRectJson(list, rect) + "}");
    }
    Emit("end");
}

HANDLE g_held = INVALID_HANDLE_VALUE;

void Release() {
    if (g_held != INVALID_HANDLE_VALUE) {
        ::CloseHandle(g_held);
        g_held = INVALID_HANDLE_VALUE;
    }
}

void Hold(const std::string& path) {
    Release();
    g_held = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    Emit(g_held != INVALID_HANDLE_VALUE ? "{\"held\":1}" : "{\"held\":0}");
    Emit("end");
}

bool ReadLine(std::string& line) {
    line.clear();
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    char c = 0;
    DWORD read = 0;
    while (::ReadFile(input, &c, 1, &read, nullptr) && read == 1) {
        if (c == '\n') {
            return true;
        }
        if (c != '\r') {
            line += c;
        }
    }
    return !line.empty();
}

bool Run(const std::string& command) {
    if (command.rfind("list ", 0) == 0) {
        List(Wide(command.substr(5)));
    } else if (command == "screen") {
        Screen();
    } else if (command == "zorder") {
        ZOrder();
    } else if (command.rfind("at ", 0) == 0) {
        At(command.substr(3));
    } else if (command.rfind("tree ", 0) == 0) {
        Tree(command.substr(5));
    } else if (command.rfind("rows ", 0) == 0) {
        Rows(command.substr(5));
    } else if (command.rfind("hold ", 0) == 0) {
        Hold(command.substr(5));
    } else if (command == "release") {
        Release();
        Emit("end");
    } else if (command == "cursor") {
        Cursor();
    } else if (command == "focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(0, &info);
        Emit("{\"focus\":" + Handle(info.hwndFocus) + ",\"active\":" + Handle(info.hwndActive) + "}");
        Emit("end");
    } else if (command == "quit") {
        Release();
        return false;
    } else {
        Emit("{\"error\":\"unknown command\"}");
        Emit("end");
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Rectangles in real pixels whatever the DPI.
    ::SetProcessDPIAware();
    if (argc >= 2 && std::wstring(argv[1]) == L"serve") {
        std::string line;
        while (ReadLine(line) && Run(line)) {
        }
        return 0;
    }
    if (argc >= 3 && std::wstring(argv[1]) == L"list") {
        List(argv[2]);
        return 0;
    }
    if (argc >= 2 && std::wstring(argv[1]) == L"screen") {
        Screen();
        return 0;
    }
    Emit("usage: probe list <exe> | probe screen | probe serve");
    return 2;
}
