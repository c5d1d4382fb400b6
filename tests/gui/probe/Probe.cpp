// Window probe for the GUI tests: lists the windows of a process (by executable name) with class, id, text,
// rectangles and state, one JSON object per line in UTF-8, so that a test on the Linux side can find and check
// them. Runs once ("probe list <exe>") or as a server reading commands from standard input ("probe serve"):
//   list <exe>   every top-level window of the processes running <exe>, then their descendants, then "end"
//   screen       {"dpi":..,"screen":[w,h],"work":[l,t,r,b]} then "end"
//   cursor       {"cursor":[x,y]} then "end"
//   at <x> <y>   {"hwnd":..} of the window at a screen point (WindowFromPoint) then "end"
//   quit
#include <windows.h>

#include <cstdio>
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

void At(const std::string& arguments) {
    POINT p{};
    if (std::sscanf(arguments.c_str(), "%ld %ld", &p.x, &p.y) != 2) {
        Emit("{\"error\":\"at needs x and y\"}");
    } else {
        Emit("{\"hwnd\":" + Handle(::WindowFromPoint(p)) + "}");
    }
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
    } else if (command.rfind("at ", 0) == 0) {
        At(command.substr(3));
    } else if (command == "cursor") {
        Cursor();
    } else if (command == "quit") {
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
