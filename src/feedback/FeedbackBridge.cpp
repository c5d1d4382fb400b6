// Loading the feedback library, calling its entry points and the start-up steps that depend on it.
#include "feedback/FeedbackBridge.h"

#include <ctime>
#include <utility>

namespace {

template <typename Proc> Proc As(LibraryProc proc) {
    return reinterpret_cast<Proc>(proc);
}

} // namespace

FeedbackBridge::FeedbackBridge(std::unique_ptr<ILibraryModule> module) : m_module(std::move(module)) {}

FeedbackBridge::~FeedbackBridge() = default;

void FeedbackBridge::Reset() {
    m_loaded = false;
    m_initFreedbackDll = nullptr;
    m_feedbackQuestion = nullptr;
    m_openUrl = nullptr;
    m_getInterNetState = nullptr;
    m_customerFeedback = nullptr;
    m_customerFeedbackEx = nullptr;
    m_writeCustomerFeedbackInfoFile = nullptr;
    m_getToolIsNewVersion = nullptr;
    m_openToolDownUrl = nullptr;
    if (m_module)
        m_module->Unload();
}

FeedbackLoad FeedbackBridge::Load(std::wstring_view programFolder) {
    Reset();
    const std::wstring path = FeedbackLibraryPath(programFolder);
    if (!m_module || path.empty() || !m_module->Load(path))
        return {FeedbackLoadStatus::LibraryMissing, kFeedbackEntryPoints[0]};

    LibraryProc procs[kFeedbackEntryPoints.size()] = {};
    for (size_t i = 0; i < kFeedbackEntryPoints.size(); ++i) {
        procs[i] = m_module->Find(kFeedbackEntryPoints[i]);
        if (procs[i] == nullptr) {
            // A library we cannot use completely is not kept half-loaded.
            m_module->Unload();
            return {FeedbackLoadStatus::EntryPointMissing, kFeedbackEntryPoints[i]};
        }
    }
    m_initFreedbackDll = As<NoArgumentProc>(procs[0]);
    m_feedbackQuestion = As<ToolProc>(procs[1]);
    m_openUrl = As<AddressProc>(procs[2]);
    m_getInterNetState = procs[3];
    m_customerFeedback = procs[4];
    m_customerFeedbackEx = As<AnswerProc>(procs[5]);
    m_writeCustomerFeedbackInfoFile = procs[6];
    m_getToolIsNewVersion = As<ToolProc>(procs[7]);
    m_openToolDownUrl = As<NoArgumentProc>(procs[8]);
    m_loaded = true;
    return {FeedbackLoadStatus::Loaded, {}};
}

int FeedbackBridge::InitFreedbackDll() const {
    return m_loaded ? m_initFreedbackDll() : 0;
}

int FeedbackBridge::FeedbackQuestion(const std::wstring& toolId, const std::wstring& version) const {
    return m_loaded ? m_feedbackQuestion(toolId.c_str(), version.c_str()) : 0;
}

int FeedbackBridge::OpenUrl(const std::wstring& address) const {
    return m_loaded ? m_openUrl(address.c_str()) : 0;
}

int FeedbackBridge::CustomerFeedbackEx(FeedbackChoice choice, const std::wstring& timeText, const std::wstring& toolId,
                                       const std::wstring& version) const {
    if (!m_loaded)
        return 0;
    return m_customerFeedbackEx(toolId.c_str(), version.c_str(), static_cast<int>(choice), timeText.c_str());
}

int FeedbackBridge::GetToolIsNewVersion(const std::wstring& toolId, const std::wstring& version) const {
    return m_loaded ? m_getToolIsNewVersion(toolId.c_str(), version.c_str()) : 0;
}

int FeedbackBridge::OpenToolDownUrl() const {
    return m_loaded ? m_openToolDownUrl() : 0;
}

std::wstring FeedbackLibraryPath(std::wstring_view programFolder) {
    if (programFolder.empty())
        return {};
    std::wstring path(programFolder);
    if (path.back() != L'\\')
        path += L'\\';
    return path + kFeedbackLibraryFile;
}

std::wstring FeedbackTimeText(std::int64_t secondsSince1970) {
    // Wider than int, so the text stays right after 2038.
    return std::to_wstring(secondsSince1970);
}

std::wstring CurrentFeedbackTimeText() {
    return FeedbackTimeText(static_cast<std::int64_t>(std::time(nullptr)));
}

FeedbackStart StartFeedback(FeedbackBridge& bridge, std::wstring_view programFolder) {
    if (bridge.Load(programFolder).status != FeedbackLoadStatus::Loaded)
        return FeedbackStart::LoadFailed;
    return bridge.InitFreedbackDll() == 0 ? FeedbackStart::InitFailed : FeedbackStart::Ready;
}

std::optional<StartupFailure> StartFeedbackFailure(FeedbackStart start) {
    // The code texts are the ones support knows: a load failure ends in 7, a failed initialisation in 6.
    switch (start) {
    case FeedbackStart::LoadFailed:
        return StartupFailure{u8"工具初始化失败7", L"工具初始化失败"};
    case FeedbackStart::InitFailed:
        return StartupFailure{u8"工具初始化失败6", L"工具初始化失败"};
    case FeedbackStart::Ready:
        break;
    }
    return std::nullopt;
}
