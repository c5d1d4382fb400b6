// The feedback and update library, loaded at run time from the program folder: feedback, knowledge-base
// links and the new-version check. The main window owns the one bridge and lends it to the feedback window.
//
//     FeedbackBridge bridge;                        // nothing loaded yet
//     FeedbackStart start = StartFeedback(bridge, GetProgramFolder());
//     if (auto failure = StartFeedbackFailure(start)) { log failure->logEntry, show failure->message, exit }
//     if (IsNewVersionAnswer(bridge.GetToolIsNewVersion())) ...
#pragma once

#include "feedback/FeedbackConstants.h"
#include "feedback/LibraryModule.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The library's entry points use the C calling convention.
#ifdef _WIN32
#define TOLVIK_FEEDBACK_CALL __cdecl
#else
#define TOLVIK_FEEDBACK_CALL
#endif

enum class FeedbackLoadStatus {
    Loaded,
    LibraryMissing,    // the file is absent or is no loadable library
    EntryPointMissing, // the library lacks one of the nine entry points
};

struct FeedbackLoad {
    FeedbackLoadStatus status = FeedbackLoadStatus::LibraryMissing;
    // The first entry point not found: the first of the nine when the library did not load; empty when loaded.
    std::string missingEntryPoint;
};

class FeedbackBridge {
public:
    // Windows builds: a bridge over the system loader.
    FeedbackBridge();
    explicit FeedbackBridge(std::unique_ptr<ILibraryModule> module);
    FeedbackBridge(const FeedbackBridge&) = delete;
    FeedbackBridge& operator=(const FeedbackBridge&) = delete;
    ~FeedbackBridge();

    // Loads "<programFolder>\VarunelFeedbackInformation.dll" and resolves the nine entry points in order,
    // stopping at the first missing one. Anything short of all nine leaves nothing loaded.
    FeedbackLoad Load(std::wstring_view programFolder);
    bool IsLoaded() const { return m_loaded; }

    // The entry points. On a bridge that is not loaded each returns 0 and calls nothing.
    // 0 means the library could not initialise.
    int InitFreedbackDll() const;
    int FeedbackQuestion(const std::wstring& toolId = kToolId, const std::wstring& version = kToolVersion) const;
    int OpenUrl(const std::wstring& address) const;
    // `choice` as FeedbackChoice; `timeText` as FeedbackTimeText gives it.
    int CustomerFeedbackEx(FeedbackChoice choice, const std::wstring& timeText, const std::wstring& toolId = kToolId,
                           const std::wstring& version = kToolVersion) const;
    // kNewVersionAvailable when a newer version of the tool exists.
    int GetToolIsNewVersion(const std::wstring& toolId = kToolId, const std::wstring& version = kToolVersion) const;
    int OpenToolDownUrl() const;

private:
    void Reset();

    using NoArgumentProc = int(TOLVIK_FEEDBACK_CALL*)();
    using ToolProc = int(TOLVIK_FEEDBACK_CALL*)(const wchar_t* toolId, const wchar_t* version);
    using AddressProc = int(TOLVIK_FEEDBACK_CALL*)(const wchar_t* address);
    using AnswerProc = int(TOLVIK_FEEDBACK_CALL*)(const wchar_t* toolId, const wchar_t* version, int choice,
                                                  const wchar_t* timeText);

    std::unique_ptr<ILibraryModule> m_module;
    bool m_loaded = false;
    NoArgumentProc m_initFreedbackDll = nullptr;
    ToolProc m_feedbackQuestion = nullptr;
    AddressProc m_openUrl = nullptr;
    LibraryProc m_getInterNetState = nullptr; // present in every library, never called
    LibraryProc m_customerFeedback = nullptr; // present in every library, never called
    AnswerProc m_customerFeedbackEx = nullptr;
    LibraryProc m_writeCustomerFeedbackInfoFile = nullptr; // present in every library, never called
    ToolProc m_getToolIsNewVersion = nullptr;
    NoArgumentProc m_openToolDownUrl = nullptr;
};

// The library's path in `programFolder`; empty when the folder is unknown (empty), so nothing is loaded from
// the current drive's root by accident.
std::wstring FeedbackLibraryPath(std::wstring_view programFolder);

// True for the answer of GetToolIsNewVersion that means a newer version exists.
inline bool IsNewVersionAnswer(int answer) {
    return answer == kNewVersionAvailable;
}

// The moment of an answer as CustomerFeedbackEx takes it: seconds since 1 January 1970 (UTC), in decimal.
std::wstring FeedbackTimeText(std::int64_t secondsSince1970);
// The same for the current time.
std::wstring CurrentFeedbackTimeText();

// The two start-up steps of the library: load it with its nine entry points, then InitFreedbackDll.
enum class FeedbackStart {
    Ready,
    LoadFailed, // the library or an entry point is missing
    InitFailed, // InitFreedbackDll answered 0
};
FeedbackStart StartFeedback(FeedbackBridge& bridge, std::wstring_view programFolder);
// Windows builds: the same from the running program's folder.
FeedbackStart StartFeedback(FeedbackBridge& bridge);

// How a failed start is reported: the code text for the log file and the sentence shown to the user.
struct StartupFailure {
    std::u8string_view logEntry;
    std::wstring_view message;
};
std::optional<StartupFailure> StartFeedbackFailure(FeedbackStart start);
