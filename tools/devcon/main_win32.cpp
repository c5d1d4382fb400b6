// The Device Console stand-in (devcon.exe, devconx64.exe): journals the call, runs the command against the
// simulated PC kept outside the program folder and writes its output in the console code page.
#include "DevconCommands.h"
#include "SimulatedPc.h"
#include "StoreDisk_win32.h"

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (IsOpen())
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

std::wstring Widen(UINT codePage, const std::string& text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string Narrow(UINT codePage, const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    std::string text(
        static_cast<size_t>(WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    return text;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

// The output goes to a pipe as bytes in the console's code page, as the real tool's does.
void WriteConsoleText(DWORD stdHandle, const std::string& utf8) {
    const HANDLE handle = GetStdHandle(stdHandle);
    if (utf8.empty() || handle == INVALID_HANDLE_VALUE || handle == nullptr)
        return;
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0)
        codePage = GetOEMCP();
    WriteAll(handle, Narrow(codePage, Widen(CP_UTF8, utf8)));
}

// TOLVIK_SIM_DIR, or TolvikSimulatedPc in the machine-wide application-data folder.
std::wstring SimulationFolder() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetEnvironmentVariableW(L"TOLVIK_SIM_DIR", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length > 0 && length < buffer.size())
        return std::wstring(buffer.data(), length);
    wchar_t common[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)))
        return L"C:\\ProgramData\\TolvikSimulatedPc";
    return std::wstring(common) + L"\\TolvikSimulatedPc";
}

void AppendJournal(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<wchar_t> current(32768);
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
    const std::wstring line =
        std::wstring(current.data(), length < current.size() ? length : 0) + L"\t" + GetCommandLineW() + L"\r\n";
    FileHandle journal(CreateFileW((folder + L"\\journal.txt").c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (journal.IsOpen())
        WriteAll(journal.Get(), Narrow(CP_UTF8, line));
}

// Serialises invocations that share a simulated PC; the lock file disappears with its handle, so a crashed
// invocation leaves none behind. Only another holder is waited for, and not for ever: without a lock the
// invocation still runs (a missing folder then fails on reading the description).
HANDLE LockFolder(const std::wstring& folder) {
    const std::wstring path = folder + L"\\pc.lock";
    for (int attempt = 0; attempt < 500; ++attempt) {
        const HANDLE lock = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (lock != INVALID_HANDLE_VALUE)
            return lock;
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)
            break;
        Sleep(20);
    }
    return INVALID_HANDLE_VALUE;
}

bool ReadWhole(const std::wstring& path, std::string& bytes) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen())
        return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024 * 1024)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr) ||
            read == 0)
            return false;
        done += read;
    }
    return true;
}

// A new file beside the old one, moved over it, so a failed write never leaves a broken description.
bool ReplaceWhole(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    {
        FileHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsOpen())
            return false;
        if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get())) {
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

// The user's short date format, as the tool's dates are written: "2020/3/24" for zh-CN, "3/24/2020" for en-US.
std::string UserShortDate(int year, int month, int day) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    wchar_t text[80] = {};
    const int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, 80);
    return length > 1 ? Narrow(CP_UTF8, std::wstring(text, static_cast<size_t>(length - 1)))
                      : UsShortDate(year, month, day);
}

std::string ProgramName(const wchar_t* argv0) {
    std::wstring name = argv0 ? argv0 : L"devcon";
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name.erase(0, slash + 1);
    return Narrow(CP_UTF8, name);
}

DevconResult Run(const std::wstring& folder, const std::string& program, const std::vector<std::string>& args) {
    const std::wstring path = folder + L"\\pc.txt";
    const std::string shownPath = Narrow(CP_UTF8, path);
    FileHandle lock(LockFolder(folder));
    std::string text;
    if (!ReadWhole(path, text)) {
        DevconResult failure = DevconFailure(program, args);
        failure.err.insert(0, program + ": " + shownPath + ": the simulated PC's description cannot be read.\r\n");
        return failure;
    }
    DescriptionError error;
    auto pc = SimulatedPc::Parse(text, error);
    if (!pc) {
        DevconResult failure = DevconFailure(program, args);
        failure.err.insert(0, program + ": " + shownPath + "(" + std::to_string(error.line) + "): " + error.message +
                                  "\r\n");
        return failure;
    }
    // The disk follows the description first, so that a fresh description also means a fresh driver store.
    SyncStoreFiles(*pc);
    const PackageDisk disk = MachineDisk();
    DevconResult result = RunDevcon(*pc, program, args, &disk, UserShortDate);
    if (result.changed)
        SyncStoreFiles(*pc);
    if (result.changed && !ReplaceWhole(path, pc->Save())) {
        DevconResult failure = DevconFailure(program, args);
        failure.err.insert(0, program + ": " + shownPath + ": the new state cannot be written.\r\n");
        return failure;
    }
    return result;
}

// A command that does not end: it waits until a file "hang.release" appears in the state folder (so that a test
// can let it go), at most ten minutes.
void HangUntilReleased(const std::wstring& folder) {
    const std::wstring release = folder + L"\\hang.release";
    for (int tick = 0; tick < 10 * 60 * 5 && GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES; ++tick)
        Sleep(200);
}

// Gone from the program folder, as a tool that an antivirus took away: the running program renames itself (which
// Windows allows) and ends like a crashed process, without a word.
[[noreturn]] void Vanish() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length > 0 && length < path.size()) {
        const std::wstring self(path.data(), length);
        MoveFileExW(self.c_str(), (self + L".vanished").c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    ExitProcess(0xC0000005);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = SimulationFolder();
    AppendJournal(folder);
    const std::string program = ProgramName(argc > 0 ? argv[0] : nullptr);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Narrow(CP_UTF8, argv[i]));
    const DevconResult result = Run(folder, program, args);
    WriteConsoleText(STD_OUTPUT_HANDLE, result.out);
    WriteConsoleText(STD_ERROR_HANDLE, result.err);
    if (result.misbehaviour == Misbehaviour::Hang)
        HangUntilReleased(folder); // the description's lock is already released: other invocations go on
    if (result.misbehaviour == Misbehaviour::Vanish)
        Vanish();
    return result.exitCode;
}
