// The log sink that holds a file open only while it writes one entry.
#include "logging/LogSaveCloseFile.h"

#include "logging/LogRules.h"
#include "text/CodePage.h"

#include <utility>

CLogSaveCloseFile::CLogSaveCloseFile(std::wstring logFolder, std::unique_ptr<CLogPlatform> platform)
    : CLogBase(std::move(logFolder)), platform_(std::move(platform)) {}

CLogSaveCloseFile::~CLogSaveCloseFile() = default;

bool CLogSaveCloseFile::WriteEntry(const CPacketLog& record) {
    // A name with folder parts would write outside the log folder.
    if (!IsPlainLogFileName(record.FileName()))
        return false;
    const std::wstring path = LogFolder() + WidenGbk(record.FileName());

    std::lock_guard<std::mutex> guard(lock_);
    std::unique_ptr<CLogPlatform::File> file = platform_->OpenForAppend(path);
    if (!file && RecreateMissingFolder())
        file = platform_->OpenForAppend(path);
    if (!file)
        return false;
    // The whole entry in one append, so that what another process appends cannot land inside it.
    if (!file->Append(FormatLogEntry(platform_->Now(), record.Message())))
        return false;
    const std::optional<std::uint64_t> length = file->Length();
    file.reset(); // an open file cannot be renamed
    // A failed move leaves the file in place; the next entry finds it still too long and tries again.
    if (length && LogNeedsRotation(*length))
        platform_->MoveReplacing(path, LogBackupPath(path));
    return true;
}

bool CLogSaveCloseFile::WriteText(const std::string& message, const std::string& fileName) {
    return WriteEntry(CPacketLog(fileName, message));
}

bool CLogSaveCloseFile::RecreateMissingFolder() {
    std::wstring folder = LogFolder();
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    if (folder.empty() || platform_->Exists(folder))
        return false;
    return platform_->CreateFolder(folder);
}
