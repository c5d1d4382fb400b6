// What the scan needs of the registry: keys of the local machine hive, opened for reading.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Value data is read with room for 255 bytes: a longer value is skipped, so a string of more than 126
// UTF-16 characters is never read.
constexpr size_t kValueDataBytes = 255;

class IRegistryKey {
public:
    virtual ~IRegistryKey() = default; // closes the key
    [[nodiscard]] virtual bool QueryInfo(uint32_t& subkeyCount, uint32_t& valueCount) = 0;
    [[nodiscard]] virtual bool EnumSubkey(uint32_t index, std::wstring& name) = 0;
    [[nodiscard]] virtual bool EnumValueName(uint32_t index, std::wstring& name) = 0;
    // The value's data as text (up to its first zero); false when it cannot be read or exceeds kValueDataBytes.
    [[nodiscard]] virtual bool ReadValue(std::wstring_view name, std::wstring& data) = 0;
};

class IRegistryReader {
public:
    virtual ~IRegistryReader() = default;
    // Opens a key below HKEY_LOCAL_MACHINE for reading; null when it cannot be opened.
    [[nodiscard]] virtual std::unique_ptr<IRegistryKey> Open(std::wstring_view path) = 0;
};
