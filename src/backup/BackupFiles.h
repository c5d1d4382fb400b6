// The file operations the backups need, so that their logic runs anywhere and the tests can fake the disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FileEntry {
    std::wstring path; // relative to the listed folder, "\"-separated
    uint64_t size = 0;
};

class IBackupFiles {
public:
    virtual ~IBackupFiles() = default;
    // The Windows folder (%SystemRoot%), without a trailing backslash.
    virtual std::wstring WindowsFolder() = 0;
    // The full path of the store folder's INF that Windows gives for a published name; empty when it cannot.
    virtual std::wstring StoreInfOf(const std::wstring& publishedInf) = 0;
    // Sub-folders (names only) of a folder.
    virtual std::vector<std::wstring> Folders(const std::wstring& folder) = 0;
    // Every file below a folder, sub-folders included (a folder reached through a link is not entered).
    virtual std::vector<FileEntry> Files(const std::wstring& folder) = 0;
    // The same, or nothing when a folder could not be listed (LastError says why).
    [[nodiscard]] virtual std::optional<std::vector<FileEntry>> ListFiles(const std::wstring& folder) {
        return Files(folder);
    }
    [[nodiscard]] virtual bool Exists(const std::wstring& path) = 0;
    // The size of a file; nothing when it is not there.
    [[nodiscard]] virtual std::optional<uint64_t> FileSize(const std::wstring& path) = 0;
    // SHA-256 of a file in lower-case hexadecimal; nothing when it cannot be read.
    [[nodiscard]] virtual std::optional<std::string> HashFile(const std::wstring& path) = 0;
    [[nodiscard]] virtual std::optional<std::string> ReadFile(const std::wstring& path) = 0;
    // Creates a new file; false when it exists or cannot be written.
    [[nodiscard]] virtual bool WriteNewFile(const std::wstring& path, const std::string& bytes) = 0;
    // Copies a file to a new path (its folders made as needed); false when the copy failed.
    [[nodiscard]] virtual bool CopyNewFile(const std::wstring& from, const std::wstring& to) = 0;
    // Copies a file to a new path as CopyNewFile does, hashing the bytes on the way and checking the copy
    // against its source afterwards: the source's SHA-256, or nothing when any of it failed (LastError says
    // what) — then no copy is left.
    [[nodiscard]] virtual std::optional<std::string> CopyChecked(const std::wstring& from, const std::wstring& to) {
        const auto source = HashFile(from);
        if (!source || !CopyNewFile(from, to) || HashFile(to) != source)
            return std::nullopt;
        return source;
    }
    // Creates one new folder that only Administrators and SYSTEM may change; false when it exists already or
    // cannot be made (the parents are made first).
    [[nodiscard]] virtual bool CreateNewFolder(const std::wstring& path) = 0;
    [[nodiscard]] virtual bool Rename(const std::wstring& from, const std::wstring& to) = 0;
    // Removes a folder and everything in it. A link, junction or other reparse point inside is removed as a
    // link, never entered; a path that is itself one is not touched (false).
    [[nodiscard]] virtual bool RemoveTree(const std::wstring& path) = 0;
    // Why a folder is not trusted to hold backups (users other than Administrators and SYSTEM may write it,
    // or neither owns it, or it is a link); nothing when it is trusted.
    [[nodiscard]] virtual std::optional<std::wstring> Distrust(const std::wstring& folder) = 0;
    // The short (8.3) form of an existing path, or empty when there is none.
    virtual std::wstring ShortPath(const std::wstring& path) = 0;
    // Bytes free for this process at the path's volume.
    [[nodiscard]] virtual std::optional<uint64_t> FreeSpace(const std::wstring& path) = 0;
    // Gives an existing folder that Administrators or SYSTEM own the backups' access list (a location an older
    // version made with the inherited one); false when it cannot, or others own it.
    [[nodiscard]] virtual bool Secure(const std::wstring& /*folder*/) { return false; }
    // What the last failed operation was and the system's reason, for messages.
    virtual std::wstring LastError() { return {}; }
};
