// The log's platform over an in-memory file system and clock, and the texts the log tests write.
#pragma once

#include "logging/LogPlatform.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

// 工具内部错1 and 卸载失败 in GBK.
inline const std::string kInternalError1 = "\xb9\xa4\xbe\xdf\xc4\xda\xb2\xbf\xb4\xed\x31";
inline const std::string kUninstallFailed = "\xd0\xb6\xd4\xd8\xca\xa7\xb0\xdc";
inline const LogTime kMarch5 = {2024, 3, 5, 7, 8, 9, 45};
// The entry written at kMarch5 with kInternalError1, byte by byte.
inline const std::string kMarch5Entry = "[2024-03-05 07:08:09 045ms]   " + kInternalError1 + "\r\n";

inline const std::wstring kAppData = L"C:\\ProgramData";
inline const std::wstring kLogFolder = L"C:\\ProgramData\\ToolLog";
inline const std::wstring kLogFile = L"C:\\ProgramData\\ToolLog\\videzure.txt";
inline const std::wstring kBackupFile = L"C:\\ProgramData\\ToolLog\\videzure.txtbak";

// What the fake platform's files, folders and settings look like; shared with the test after the platform has
// been handed to the service.
struct FakeWorld {
    std::mutex mutex;
    std::optional<std::wstring> appData = kAppData;
    std::set<std::wstring> folders = {kAppData};
    std::map<std::wstring, std::string> files;
    std::map<std::wstring, std::wstring> profile; // "ini path|section|key" -> value
    std::vector<std::wstring> createdFolders;
    std::set<std::wstring> heldFiles; // held by another process without delete sharing: cannot be moved
    int moveAttempts = 0;
    bool diskFull = false;
    LogTime now = kMarch5;
    int openNow = 0;
    int openMost = 0;
    bool yieldBetweenBytes = false;

    static std::wstring Parent(const std::wstring& path) {
        const std::size_t slash = path.rfind(L'\\');
        return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    }
    bool FolderExists(const std::wstring& path) { return path.empty() || folders.count(path) != 0; }
};

class FakePlatform : public CLogPlatform {
public:
    explicit FakePlatform(std::shared_ptr<FakeWorld> world) : world_(std::move(world)) {}

    class FakeFile : public File {
    public:
        FakeFile(std::shared_ptr<FakeWorld> world, std::wstring path) : world_(std::move(world)), path_(path) {}
        ~FakeFile() override {
            std::lock_guard<std::mutex> guard(world_->mutex);
            --world_->openNow;
        }
        bool Append(std::string_view bytes) override {
            // Byte by byte, giving way in between, so that two unserialised writers would interleave.
            for (const char c : bytes) {
                {
                    std::lock_guard<std::mutex> guard(world_->mutex);
                    if (world_->diskFull)
                        return false;
                    world_->files[path_] += c;
                }
                if (world_->yieldBetweenBytes)
                    std::this_thread::yield();
            }
            return true;
        }
        std::optional<std::uint64_t> Length() override {
            std::lock_guard<std::mutex> guard(world_->mutex);
            return world_->files[path_].size();
        }

    private:
        std::shared_ptr<FakeWorld> world_;
        std::wstring path_;
    };

    std::optional<std::wstring> CommonAppDataFolder() override { return world_->appData; }
    bool Exists(const std::wstring& path) override {
        std::lock_guard<std::mutex> guard(world_->mutex);
        return world_->folders.count(path) != 0 || world_->files.count(path) != 0;
    }
    bool CreateFolder(const std::wstring& path) override {
        std::lock_guard<std::mutex> guard(world_->mutex);
        world_->createdFolders.push_back(path);
        if (world_->folders.count(path) || world_->files.count(path) || !world_->FolderExists(FakeWorld::Parent(path)))
            return false;
        world_->folders.insert(path);
        return true;
    }
    std::wstring ReadProfileString(const std::wstring& iniPath, const std::wstring& section, const std::wstring& key,
                                   const std::wstring& fallback) override {
        const auto found = world_->profile.find(iniPath + L"|" + section + L"|" + key);
        return found == world_->profile.end() ? fallback : found->second;
    }
    LogTime Now() override { return world_->now; }
    std::unique_ptr<File> OpenForAppend(const std::wstring& path) override {
        std::lock_guard<std::mutex> guard(world_->mutex);
        if (!world_->FolderExists(FakeWorld::Parent(path)) || world_->folders.count(path))
            return nullptr;
        world_->files[path];
        world_->openMost = std::max(world_->openMost, ++world_->openNow);
        return std::make_unique<FakeFile>(world_, path);
    }
    bool MoveReplacing(const std::wstring& from, const std::wstring& to) override {
        std::lock_guard<std::mutex> guard(world_->mutex);
        ++world_->moveAttempts;
        if (world_->heldFiles.count(from) || !world_->files.count(from))
            return false;
        world_->files[to] = std::move(world_->files[from]);
        world_->files.erase(from);
        return true;
    }

private:
    std::shared_ptr<FakeWorld> world_;
};
