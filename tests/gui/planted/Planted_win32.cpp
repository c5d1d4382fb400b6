// A library planted beside the program under the name of a system library: loaded at all, it leaves
// "planted-<its name>.txt" in its own folder. The program must never load it.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(instance, path, MAX_PATH);
    std::wstring file(path, length);
    const size_t slash = file.rfind(L'\\');
    const std::wstring marker = file.substr(0, slash + 1) + L"planted-" + file.substr(slash + 1) + L".txt";
    HANDLE written =
        ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (written != INVALID_HANDLE_VALUE) {
        ::CloseHandle(written);
    }
    return TRUE;
}
