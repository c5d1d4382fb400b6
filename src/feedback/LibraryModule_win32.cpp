// The system loader behind ILibraryModule: the one owner of the library handle.
#include "feedback/LibraryModule.h"

#include <windows.h>

namespace {

class SystemLibraryModule : public ILibraryModule {
public:
    SystemLibraryModule() = default;
    SystemLibraryModule(const SystemLibraryModule&) = delete;
    SystemLibraryModule& operator=(const SystemLibraryModule&) = delete;
    ~SystemLibraryModule() override { Unload(); }

    bool Load(const std::wstring& path) override {
        Unload();
        m_handle = LoadLibraryW(path.c_str());
        return m_handle != nullptr;
    }

    void Unload() override {
        if (m_handle != nullptr)
            FreeLibrary(m_handle);
        m_handle = nullptr;
    }

    LibraryProc Find(const char* name) const override {
        if (m_handle == nullptr)
            return nullptr;
        return reinterpret_cast<LibraryProc>(GetProcAddress(m_handle, name));
    }

private:
    HMODULE m_handle = nullptr;
};

} // namespace

std::unique_ptr<ILibraryModule> MakeSystemLibraryModule() {
    return std::make_unique<SystemLibraryModule>();
}
