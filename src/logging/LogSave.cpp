// The log service of the process.
#include "logging/LogSave.h"

#include "logging/LogRules.h"
#include "logging/LogSaveCloseFile.h"
#include "text/CodePage.h"

#include <utility>

CLogSave& CLogSave::GetInstance() {
    // The language makes concurrent first calls wait for one construction. The service is never destroyed, so a
    // thread still logging while the process ends never meets a torn-down lock; no file stays open to lose.
    static CLogSave* const instance = new CLogSave(CreateSystemLogPlatform());
    return *instance;
}

CLogSave::CLogSave(std::unique_ptr<CLogPlatform> platform) {
    const std::wstring base = LogBaseFolder(platform->CommonAppDataFolder());
    const std::wstring folder = LogFolderPath(base);
    if (!platform->Exists(folder))
        platform->CreateFolder(folder); // a failure shows later, as entries that cannot be opened
    logFolder_ = folder + L"\\";
    enabled_ = IsLogSwitchOn(platform->ReadProfileString(LogConfigPath(base), L"Log", L"print", L"-1"));
    sink_ = std::make_unique<CLogSaveCloseFile>(logFolder_, std::move(platform));
}

CLogSave::~CLogSave() = default;

bool CLogSave::Write(std::string message, std::string fileName, bool force) {
    if (!force && !enabled_)
        return false;
    return sink_->WriteText(message, fileName);
}

bool LogToolFailure(std::string_view gbkMessage) {
    return CLogSave::GetInstance().Write(std::string(gbkMessage), kToolLogFile, true);
}

bool LogToolFailure(std::u8string_view message) {
    const std::string utf8(reinterpret_cast<const char*>(message.data()), message.size());
    return LogToolFailure(NarrowGbk(FromUtf8(utf8)));
}
