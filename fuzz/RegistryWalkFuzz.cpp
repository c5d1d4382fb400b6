// Fuzz target for the registry walk and the device filters: a class key's subtree built from the input (key
// names, values, reads that fail, counts that lie) is walked by ScanClassKey with the shipped catalogue, and
// the console answers with bytes from the input. Whatever the registry holds, the walk ends with its queue
// empty, and every device it keeps passed the length rules and its class's filter, carries a device key that a
// "MatchingDeviceId" of the subtree really yields, and a search pattern whose every "&" is escaped.
#include "FuzzCheck.h"
#include "console/CommandRunner.h"
#include "console/DeviceConsole.h"
#include "discovery/CategoryScan.h"
#include "discovery/RegistryReader.h"
#include "text/CodePage.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Pieces that make up real keys and values, so that the fuzzer reaches the matching and the filters quickly.
const wchar_t* const kPieces[] = {
    L"PCI\\VEN_", L"&DEV_", L"&SUBSYS_", L"USB\\VID_", L"&PID_",   L"&MI_00", L"ACPI\\", L"BTH\\MS_",   L"HDAUDIO\\",
    L"8086",      L"3E9B",  L"10DE",     L"ELAN0501",  L"SYN1B7F", L"SMBus",  L"ELAN",   L"Synaptics",  L"\u667a\u97f3",
    L"\\",        L"&",     L"*",        L" ",         L"\"",      L"\r\n",   L"0000",   L"DriverDesc", L"%",
};

std::wstring FuzzedText(FuzzedDataProvider& input) {
    std::wstring text;
    const int parts = input.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < parts; ++i) {
        if (input.ConsumeBool()) {
            text += kPieces[input.ConsumeIntegralInRange<size_t>(0, std::size(kPieces) - 1)];
        } else {
            const std::string bytes = input.ConsumeRandomLengthString(12);
            for (const char c : bytes)
                text += static_cast<wchar_t>(static_cast<unsigned char>(c));
        }
    }
    return text;
}

struct FakeKey {
    std::vector<std::wstring> subkeys;
    std::vector<std::pair<std::wstring, std::wstring>> values;
    uint32_t extraSubkeys = 0; // counted but failing to enumerate, as a key deleted during the walk
    uint32_t extraValues = 0;
    bool infoFails = false;
    bool readsFail = false;
};

class FakeRegistry : public IRegistryReader {
public:
    std::map<std::wstring, FakeKey> keys;
    size_t opens = 0;

    std::unique_ptr<IRegistryKey> Open(std::wstring_view path) override {
        ++opens;
        const auto found = keys.find(std::wstring(path));
        return found == keys.end() ? nullptr : std::make_unique<Key>(found->second);
    }

private:
    struct Key : IRegistryKey {
        explicit Key(const FakeKey& key) : key_(key) {}
        bool QueryInfo(uint32_t& subkeys, uint32_t& values) override {
            if (key_.infoFails)
                return false;
            subkeys = static_cast<uint32_t>(key_.subkeys.size()) + key_.extraSubkeys;
            values = static_cast<uint32_t>(key_.values.size()) + key_.extraValues;
            return true;
        }
        bool EnumSubkey(uint32_t index, std::wstring& name) override {
            if (index >= key_.subkeys.size())
                return false;
            name = key_.subkeys[index];
            return true;
        }
        bool EnumValueName(uint32_t index, std::wstring& name) override {
            if (index >= key_.values.size())
                return false;
            name = key_.values[index].first;
            return true;
        }
        bool ReadValue(std::wstring_view name, std::wstring& data) override {
            if (key_.readsFail)
                return false;
            for (const auto& [valueName, value] : key_.values) {
                if (valueName == name) {
                    if ((value.size() + 1) * 2 > kValueDataBytes)
                        return false;
                    data = value.substr(0, value.find(L'\0'));
                    return true;
                }
            }
            return false;
        }
        const FakeKey& key_;
    };
};

class FuzzedRunner : public ICommandRunner {
public:
    explicit FuzzedRunner(std::vector<std::string> outputs) : outputs_(std::move(outputs)) {}
    CommandOutcome RunConsoleCommand(const ConsoleCommand& command, std::string& output) override {
        // Whatever the registry held, no interpreter syntax reaches the command text.
        if (command.text.find_first_of(L"|<>%\"()!,;\t\r\n") != std::wstring::npos)
            std::abort();
        if (outputs_.empty())
            return ++runs % 3 != 0 ? CommandOutcome::Finished : CommandOutcome::NotStarted;
        output += outputs_[runs++ % outputs_.size()];
        return CommandOutcome::Finished;
    }
    size_t runs = 0;

private:
    std::vector<std::string> outputs_;
};

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const DriverScanner catalogue = [] {
        DriverScanner scanner;
        scanner.idPatterns = {{"VEN_", "DEV_"}, {"VID_", "PID_"}, {"ACPI\\", ""}, {"BTH\\MS_", ""}};
        scanner.terminators = {"\r\n", "&", "\\", " "};
        return scanner;
    }();
    FuzzedDataProvider input(data, size);

    const ScanStep& step = kScanSteps[input.ConsumeIntegralInRange<size_t>(0, std::size(kScanSteps) - 1)];
    const std::wstring classKey = step.classKey;

    // Keys are added below keys already made, so the subtree is a tree (or, with repeated names, one whose
    // paths repeat); a subkey name may also point at nothing.
    FakeRegistry registry;
    std::vector<std::wstring> paths;
    if (input.ConsumeIntegralInRange(0, 15) != 0)
        paths.push_back(classKey);
    for (auto& path : paths)
        registry.keys[path];
    const int keyCount = input.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < keyCount && !paths.empty(); ++i) {
        const std::wstring parent = paths[input.ConsumeIntegralInRange<size_t>(0, paths.size() - 1)];
        const std::wstring name = input.ConsumeBool() ? std::to_wstring(i) : FuzzedText(input);
        registry.keys[parent].subkeys.push_back(name);
        if (input.ConsumeIntegralInRange(0, 7) != 0) {
            paths.push_back(parent + L"\\" + name);
            registry.keys[paths.back()];
        }
    }
    for (auto& [path, key] : registry.keys) {
        const int values = input.ConsumeIntegralInRange(0, 4);
        for (int v = 0; v < values; ++v) {
            const int kind = input.ConsumeIntegralInRange(0, 3);
            const std::wstring name = kind == 0 ? L"DriverDesc" : kind == 1 ? L"MatchingDeviceId" : FuzzedText(input);
            key.values.emplace_back(name, FuzzedText(input));
        }
        const uint8_t faults = input.ConsumeIntegral<uint8_t>();
        key.extraSubkeys = (faults & 0x03) == 0x03 ? 2 : 0;
        key.extraValues = (faults & 0x0c) == 0x0c ? 1 : 0;
        key.infoFails = (faults & 0x70) == 0x70;
        key.readsFail = faults == 0xff;
    }
    std::vector<std::string> outputs;
    while (input.remaining_bytes() > 0 && outputs.size() < 4)
        outputs.push_back(input.ConsumeRandomLengthString(200));

    // Every device key the subtree's "MatchingDeviceId" values could give, read through the registry as any
    // reader of it would: value names as the ANSI text they stand for, data as the key hands it out.
    std::set<std::string> possibleKeys;
    for (const auto& [path, fake] : registry.keys) {
        const std::unique_ptr<IRegistryKey> key = registry.Open(path);
        std::wstring name;
        std::wstring value;
        for (uint32_t index = 0; index < fake.values.size(); ++index) {
            if (key->EnumValueName(index, name) && NarrowAnsi(name) == "MatchingDeviceId" &&
                key->ReadValue(name, value))
                if (const auto match = MatchHardwareId(catalogue, UpperAscii(NarrowAnsi(value))))
                    possibleKeys.insert(match->deviceKey);
        }
    }

    DriverScanner scanner = catalogue;
    FuzzedRunner runner(outputs);
    const DeviceConsole console(runner, L"C:\\Program Files\\Tool", input.ConsumeBool());
    CategoryMap map;
    const int first = ExamineDeviceKey(scanner, registry, console, classKey, step.filtered, step.category, map);
    Check(first == (registry.keys.count(classKey) ? (map.Empty() ? 1 : 2) : 0));
    scanner.pendingKeys.clear();
    map.Clear();
    const size_t opensBefore = registry.opens;
    const size_t runsBefore = runner.runs;
    ScanClassKey(scanner, registry, console, classKey, step.filtered, step.category, map);

    Check(scanner.pendingKeys.empty());
    Check(runner.runs - runsBefore <= 2 * (registry.opens - opensBefore));
    for (const auto& [deviceKey, record] : map) {
        Check(record != nullptr);
        Check(record->deviceKey == deviceKey);
        Check(record->category == step.category);
        Check(possibleKeys.count(deviceKey) == 1);
        Check(record->description.size() >= 2 && record->searchPattern.size() >= 7);
        Check(DevicePatternArgument(WidenOem(record->searchPattern)).has_value());
        const std::string& pattern = record->searchPattern;
        for (size_t at = pattern.find('&'); at != std::string::npos; at = pattern.find('&', at + 1))
            Check(at > 0 && pattern[at - 1] == '^');
        if (step.filtered && step.category == 7)
            Check(Contains(record->description, "SMBus") &&
                  (Contains(record->description, "ELAN") || Contains(record->description, "Synaptics")));
        if (step.filtered && step.category == 9)
            Check(Contains(record->description, "\xd6\xc7\xd2\xf4"));
        Check(!step.filtered || step.category == 7 || step.category == 9);
    }
    return 0;
}
