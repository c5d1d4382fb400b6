// The registry as the scan reads it: HKEY_LOCAL_MACHINE, fixed read sizes.
#include "discovery/RegistryReader_win32.h"

#include <windows.h>

namespace {

constexpr DWORD kSubkeyNameChars = 255;
constexpr DWORD kValueNameChars = 16383;
constexpr DWORD kClassNameChars = 260;

class Win32RegistryKey : public IRegistryKey {
public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    bool QueryInfo(uint32_t& subkeyCount, uint32_t& valueCount) override {
        wchar_t className[kClassNameChars] = {};
        DWORD classLength = kClassNameChars;
        DWORD subkeys = 0;
        DWORD values = 0;
        const LONG status = RegQueryInfoKeyW(key_, className, &classLength, nullptr, &subkeys, nullptr, nullptr,
                                             &values, nullptr, nullptr, nullptr, nullptr);
        subkeyCount = status == ERROR_SUCCESS ? subkeys : 0;
        valueCount = status == ERROR_SUCCESS ? values : 0;
        return status == ERROR_SUCCESS;
    }

    bool EnumSubkey(uint32_t index, std::wstring& name) override {
        wchar_t buffer[kSubkeyNameChars + 1] = {};
        DWORD length = kSubkeyNameChars;
        if (RegEnumKeyExW(key_, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        name.assign(buffer, length);
        return true;
    }

    bool EnumValueName(uint32_t index, std::wstring& name) override {
        std::wstring buffer(kValueNameChars + 1, L'\0');
        DWORD length = kValueNameChars;
        if (RegEnumValueW(key_, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        name.assign(buffer.data(), length);
        return true;
    }

    bool ReadValue(std::wstring_view name, std::wstring& data) override {
        // Room for 255 bytes in a zeroed buffer twice that size: longer data is refused (ERROR_MORE_DATA).
        wchar_t buffer[kValueDataBytes] = {};
        DWORD size = kValueDataBytes;
        const std::wstring valueName(name);
        if (RegQueryValueExW(key_, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS)
            return false;
        data.assign(buffer); // the buffer's second half is always zero, so the text is terminated
        return true;
    }

private:
    HKEY key_;
};

} // namespace

std::unique_ptr<IRegistryKey> LocalMachineRegistry::Open(std::wstring_view path) {
    const std::wstring keyPath(path);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Win32RegistryKey>(key);
}
