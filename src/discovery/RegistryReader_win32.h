// Windows: the local machine hive through the registry functions.
#pragma once

#include "discovery/RegistryReader.h"

class LocalMachineRegistry : public IRegistryReader {
public:
    [[nodiscard]] std::unique_ptr<IRegistryKey> Open(std::wstring_view path) override;
};
