// An in-memory disk for the backup tests: files by full path ("\"-separated), folders implied by them or made.
#pragma once

#include "backup/BackupFiles.h"
#include "backup/Sha256.h"
#include "text/CodePage.h"

#include <map>
#include <set>

class FakeBackupFiles : public IBackupFiles {
public:
    std::wstring WindowsFolder() override { return L"C:\\Windows"; }
    std::wstring StoreInfOf(const std::wstring& publishedInf) override {
        const auto found = located.find(publishedInf);
        return found == located.end() ? std::wstring() : found->second;
    }
    std::vector<std::wstring> Folders(const std::wstring& folder) override {
        std::set<std::wstring> names;
        const std::wstring prefix = folder + L"\\";
        const auto add = [&](const std::wstring& path) {
            if (path.rfind(prefix, 0) == 0 && path.find(L'\\', prefix.size()) != std::wstring::npos)
                names.insert(path.substr(prefix.size(), path.find(L'\\', prefix.size()) - prefix.size()));
        };
        for (const auto& [path, bytes] : files)
            add(path);
        for (const std::wstring& made : folders)
            add(made + L"\\");
        return {names.begin(), names.end()};
    }
    std::vector<FileEntry> Files(const std::wstring& folder) override {
        std::vector<FileEntry> entries;
        for (const auto& [path, bytes] : files)
            if (path.rfind(folder + L"\\", 0) == 0)
                entries.push_back({path.substr(folder.size() + 1), bytes.size()});
        return entries;
    }
    bool Exists(const std::wstring& path) override { return files.count(path) || IsFolder(path); }
    std::optional<uint64_t> FileSize(const std::wstring& path) override {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<uint64_t>(found->second.size());
    }
    std::optional<std::string> HashFile(const std::wstring& path) override {
        const auto bytes = ReadFile(path);
        return bytes ? std::optional<std::string>(Sha256Hex(*bytes)) : std::nullopt;
    }
    std::optional<std::string> ReadFile(const std::wstring& path) override {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    bool WriteNewFile(const std::wstring& path, const std::string& bytes) override {
        if (files.count(path) || !Writable(path))
            return false;
        files[path] = bytes;
        return true;
    }
    bool CopyNewFile(const std::wstring& from, const std::wstring& to) override {
        if (copiesLeft-- == 0 || !files.count(from) || readOnly)
            return false;
        folders.insert(to.substr(0, to.rfind(L'\\')));
        return WriteNewFile(to, files[from]);
    }
    bool CreateNewFolder(const std::wstring& path) override {
        if (readOnly || IsFolder(path) || files.count(path))
            return false;
        folders.insert(path);
        return true;
    }
    bool Rename(const std::wstring& from, const std::wstring& to) override {
        if (IsFolder(to))
            return false;
        std::map<std::wstring, std::string> moved;
        for (auto it = files.begin(); it != files.end();) {
            if (it->first.rfind(from + L"\\", 0) == 0) {
                moved[to + it->first.substr(from.size())] = it->second;
                it = files.erase(it);
            } else {
                ++it;
            }
        }
        files.insert(moved.begin(), moved.end());
        std::set<std::wstring> kept;
        for (const std::wstring& folder : folders)
            kept.insert(folder == from || folder.rfind(from + L"\\", 0) == 0 ? to + folder.substr(from.size())
                                                                             : folder);
        folders = kept;
        return true;
    }
    bool RemoveTree(const std::wstring& path) override {
        for (const auto& [file, bytes] : files)
            if (file.rfind(path + L"\\", 0) == 0 && undeletable.count(file.substr(file.rfind(L'\\') + 1)))
                return false;
        std::erase_if(files, [&](const auto& entry) { return entry.first.rfind(path + L"\\", 0) == 0; });
        std::erase_if(folders,
                      [&](const std::wstring& folder) { return folder == path || folder.rfind(path + L"\\", 0) == 0; });
        return true;
    }
    std::optional<std::wstring> Distrust(const std::wstring& folder) override {
        const auto found = distrusted.find(folder);
        return found == distrusted.end() ? std::nullopt : std::optional<std::wstring>(found->second);
    }
    bool Secure(const std::wstring& folder) override { return securable.count(folder) && distrusted.erase(folder); }
    std::wstring ShortPath(const std::wstring& path) override {
        const auto found = shortNames.find(path);
        return found == shortNames.end() ? std::wstring() : found->second;
    }
    std::optional<uint64_t> FreeSpace(const std::wstring& path) override {
        return IsFolder(path) ? std::optional<uint64_t>(freeSpace) : std::nullopt;
    }

    bool IsFolder(const std::wstring& path) {
        if (folders.count(path))
            return true;
        for (const auto& [file, bytes] : files)
            if (file.rfind(path + L"\\", 0) == 0)
                return true;
        return false;
    }
    bool Writable(const std::wstring& path) { return !readOnly && IsFolder(path.substr(0, path.rfind(L'\\'))); }

    std::map<std::wstring, std::string> files;
    std::set<std::wstring> folders;
    std::map<std::wstring, std::wstring> located;    // SetupGetInfDriverStoreLocationW's answers
    std::map<std::wstring, std::wstring> shortNames; // GetShortPathNameW's answers
    std::map<std::wstring, std::wstring> distrusted; // folders others may write, and why
    std::set<std::wstring> securable;                // distrusted folders an administrator owns
    std::set<std::wstring> undeletable;              // file names a removal cannot delete (and then stops)
    uint64_t freeSpace = 1ull << 40;
    bool readOnly = false;
    int copiesLeft = 1 << 30; // copies that succeed before the disk is full
};
