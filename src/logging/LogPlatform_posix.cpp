// The log's system services on the native build, which stands in for Windows in tests: backslashes become
// slashes, and the environment variable TOLVIK_COMMON_APPDATA names the application-data folder (none when it
// is unset, so the log lands under the current directory).
#include "logging/LogPlatform.h"

#include "text/CodePage.h"
#include "text/TextCase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <utility>

namespace {

std::string NativePath(const std::wstring& path) {
    std::string native = ToUtf8(path);
    for (char& c : native) {
        if (c == '\\')
            c = '/';
    }
    return native;
}

class PosixFile : public CLogPlatform::File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;
    ~PosixFile() override { close(fd_); }

    bool Append(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }

    std::optional<std::uint64_t> Length() override {
        struct stat info;
        if (fstat(fd_, &info) != 0)
            return std::nullopt;
        return static_cast<std::uint64_t>(info.st_size);
    }

private:
    int fd_;
};

class PosixLogPlatform : public CLogPlatform {
public:
    explicit PosixLogPlatform(std::optional<std::wstring> baseFolder) : baseFolder_(std::move(baseFolder)) {}

    std::optional<std::wstring> CommonAppDataFolder() override {
        if (baseFolder_)
            return baseFolder_;
        const char* folder = std::getenv("TOLVIK_COMMON_APPDATA");
        if (folder == nullptr || *folder == 0)
            return std::nullopt;
        return FromUtf8(folder);
    }

    // A link counts as something, also when it leads nowhere.
    bool Exists(const std::wstring& path) override {
        struct stat info;
        return lstat(NativePath(path).c_str(), &info) == 0;
    }

    bool CreateFolder(const std::wstring& path) override { return mkdir(NativePath(path).c_str(), 0777) == 0; }

    // The INI form the profile functions read: "[section]" lines and "key=value" lines, names without case.
    std::wstring ReadProfileString(const std::wstring& iniPath, const std::wstring& section, const std::wstring& key,
                                   const std::wstring& fallback) override {
        std::ifstream in(NativePath(iniPath));
        std::string line;
        bool inSection = false;
        while (std::getline(in, line)) {
            const std::wstring wide = FromUtf8(line);
            const std::wstring_view text = Trim(wide);
            if (!text.empty() && text.front() == L'[') {
                const std::size_t close = text.find(L']');
                inSection =
                    close != std::wstring_view::npos && EqualsIgnoringCase(Trim(text.substr(1, close - 1)), section);
            } else if (const std::size_t equals = text.find(L'='); inSection && equals != std::wstring_view::npos) {
                if (EqualsIgnoringCase(Trim(text.substr(0, equals)), key))
                    return std::wstring(Trim(text.substr(equals + 1)).substr(0, 99));
            }
        }
        return fallback;
    }

    LogTime Now() override {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::tm local{};
        localtime_r(&now.tv_sec, &local);
        return {local.tm_year + 1900,
                local.tm_mon + 1,
                local.tm_mday,
                local.tm_hour,
                local.tm_min,
                local.tm_sec,
                static_cast<int>(now.tv_nsec / 1000000)};
    }

    // Neither the log folder nor the file may be a link: the folder is opened without following one, and the
    // file relative to that very folder, also without following one (a dangling link is not created through
    // either). A file with a second name (a hard link) is refused too.
    std::unique_ptr<File> OpenForAppend(const std::wstring& path) override {
        const std::string native = NativePath(path);
        const std::size_t slash = native.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash);
        const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
        const int folderFd =
            open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folderFd < 0)
            return nullptr;
        const int fd = openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
        close(folderFd);
        if (fd < 0)
            return nullptr;
        struct stat info;
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1) {
            close(fd);
            return nullptr;
        }
        return std::make_unique<PosixFile>(fd);
    }

    bool MoveReplacing(const std::wstring& from, const std::wstring& to) override {
        return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
    }

private:
    std::optional<std::wstring> baseFolder_;
};

} // namespace

std::unique_ptr<CLogPlatform> CreateSystemLogPlatform() {
    return std::make_unique<PosixLogPlatform>(std::nullopt);
}

std::unique_ptr<CLogPlatform> CreateSystemLogPlatform(std::wstring baseFolder) {
    return std::make_unique<PosixLogPlatform>(std::move(baseFolder));
}
