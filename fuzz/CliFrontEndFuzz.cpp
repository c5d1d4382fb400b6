// Fuzz target for the command-line front end: argument lists parsed from the input either carry an error or
// describe a usable command; and an inventory filled with arbitrary code page 936 bytes renders, as the front end
// prints it, as valid JSON (checked by a strict parser here, UTF-8 included) whose strings read back as the texts
// that went in.
#include "FuzzCheck.h"
#include "cli/CliArguments.h"
#include "cli/InventoryJson.h"
#include "text/CodePage.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// A strict JSON reader (RFC 8259) that keeps the decoded strings, in document order.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    bool Document() {
        SkipBlanks();
        if (!Value(0))
            return false;
        SkipBlanks();
        return at_ == text_.size();
    }
    std::vector<std::string> strings;

private:
    bool Value(int depth) {
        if (depth > 64 || at_ >= text_.size())
            return false;
        const char c = text_[at_];
        if (c == '{')
            return Container(depth, '}', true);
        if (c == '[')
            return Container(depth, ']', false);
        if (c == '"')
            return String();
        if (c == '-' || (c >= '0' && c <= '9'))
            return Number();
        for (const std::string_view word : {"true", "false", "null"}) {
            if (text_.substr(at_, word.size()) == word) {
                at_ += word.size();
                return true;
            }
        }
        return false;
    }

    bool Container(int depth, char close, bool object) {
        ++at_;
        SkipBlanks();
        if (Next(close))
            return true;
        for (;;) {
            SkipBlanks();
            if (object) {
                if (at_ >= text_.size() || text_[at_] != '"' || !String())
                    return false;
                SkipBlanks();
                if (!Next(':'))
                    return false;
                SkipBlanks();
            }
            if (!Value(depth + 1))
                return false;
            SkipBlanks();
            if (Next(close))
                return true;
            if (!Next(','))
                return false;
        }
    }

    bool String() {
        ++at_;
        std::string decoded;
        while (at_ < text_.size()) {
            const unsigned char c = static_cast<unsigned char>(text_[at_]);
            if (c == '"') {
                ++at_;
                strings.push_back(decoded);
                return true;
            }
            if (c < 0x20)
                return false;
            if (c == '\\') {
                if (++at_ >= text_.size())
                    return false;
                const char e = text_[at_++];
                const std::string_view simple = "\"\\/bfnrt";
                const std::string_view meant = "\"\\/\b\f\n\r\t";
                if (const size_t k = simple.find(e); k != std::string_view::npos) {
                    decoded += meant[k];
                } else if (e == 'u') {
                    unsigned value = 0;
                    for (int i = 0; i < 4; ++i) {
                        if (at_ >= text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[at_])))
                            return false;
                        const char h = text_[at_++];
                        value = value * 16 + (h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
                    }
                    if (value >= 0x80)
                        return false; // the writer escapes only control characters
                    decoded += static_cast<char>(value);
                } else {
                    return false;
                }
                continue;
            }
            const size_t length = Utf8Length(text_.substr(at_));
            if (length == 0)
                return false;
            decoded += text_.substr(at_, length);
            at_ += length;
        }
        return false;
    }

    // The length of the well-formed UTF-8 sequence at the start of `s`, 0 when there is none.
    static size_t Utf8Length(std::string_view s) {
        const unsigned char c = static_cast<unsigned char>(s[0]);
        if (c < 0x80)
            return 1;
        size_t length = 0;
        uint32_t value = 0;
        if (c >= 0xc2 && c <= 0xdf) {
            length = 2;
            value = c & 0x1f;
        } else if (c >= 0xe0 && c <= 0xef) {
            length = 3;
            value = c & 0x0f;
        } else if (c >= 0xf0 && c <= 0xf4) {
            length = 4;
            value = c & 0x07;
        } else {
            return 0;
        }
        if (s.size() < length)
            return 0;
        for (size_t i = 1; i < length; ++i) {
            const unsigned char next = static_cast<unsigned char>(s[i]);
            if ((next & 0xc0) != 0x80)
                return 0;
            value = value << 6 | (next & 0x3f);
        }
        const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < least[length] || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff))
            return 0;
        return length;
    }

    bool Number() {
        const size_t start = at_;
        Next('-');
        if (Next('0')) {
        } else if (!Digits()) {
            return false;
        }
        if (Next('.') && !Digits())
            return false;
        if (Next('e') || Next('E')) {
            if (!Next('+'))
                Next('-');
            if (!Digits())
                return false;
        }
        return at_ > start;
    }

    bool Digits() {
        const size_t start = at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
            ++at_;
        return at_ > start;
    }

    bool Next(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void SkipBlanks() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    std::string_view text_;
    size_t at_ = 0;
};

const wchar_t* const kWords[] = {L"detect",     L"uninstall", L"--json",  L"--dry-run", L"--device",  L"--inf",
                                 L"--category", L"--help",    L"-h",      L"help",      L"5",         L"0",
                                 L"10",         L"oem12.inf", L"",        L"8086_3E9B", L"显卡",      L"--old",
                                 L"restore",    L"backups",   L"--prune", L"--keep",    L"--version", L"--output"};

std::wstring FuzzedArgument(FuzzedDataProvider& input) {
    if (input.ConsumeBool())
        return kWords[input.ConsumeIntegralInRange<size_t>(0, std::size(kWords) - 1)];
    return FromUtf8(input.ConsumeRandomLengthString(24));
}

void CheckArguments(FuzzedDataProvider& input) {
    std::vector<std::wstring> arguments(input.ConsumeIntegralInRange(0, 7));
    for (std::wstring& argument : arguments)
        argument = FuzzedArgument(input);
    const CliArguments parsed = ParseCliArguments(arguments);
    Check(parsed.category >= 0 && parsed.category <= 9);
    const auto named = [&](const wchar_t* command) {
        return std::find(arguments.begin(), arguments.end(), std::wstring(command)) != arguments.end();
    };
    if (parsed.error.empty()) {
        switch (parsed.command) {
        case CliArguments::Command::Help:
        case CliArguments::Command::Version:
            Check(!parsed.Changes());
            break;
        case CliArguments::Command::Detect:
            Check(named(L"detect") && parsed.device.empty() && parsed.inf.empty() && !parsed.dryRun);
            break;
        case CliArguments::Command::Uninstall:
            Check(named(L"uninstall") &&
                  (parsed.old ? parsed.inf.empty() : !parsed.device.empty() && !parsed.inf.empty()));
            break;
        case CliArguments::Command::Restore:
            Check(named(L"restore") && !parsed.restoreFrom.empty());
            break;
        case CliArguments::Command::Backups:
            Check(named(L"backups") && (!parsed.prune || parsed.keep >= 0 || parsed.maxSize >= 0));
            break;
        }
        // Device keys match in any case: the scan makes them upper case, and so does the command line.
        for (const wchar_t c : parsed.device)
            Check(c < L'a' || c > L'z');
    } else {
        Check(!arguments.empty());
    }
    const CliArguments again = ParseCliArguments(arguments);
    Check(again.error == parsed.error && again.command == parsed.command && again.device == parsed.device &&
          again.inf == parsed.inf && again.category == parsed.category);
}

std::string Gbk(FuzzedDataProvider& input) {
    return input.ConsumeRandomLengthString(16);
}

void CheckJson(FuzzedDataProvider& input) {
    DriverInventory inventory;
    std::vector<std::string> expected; // every string of the document, in order
    const int devices = input.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < devices; ++i) {
        auto device = std::make_unique<DeviceRecord>();
        device->category = input.ConsumeIntegralInRange(kFirstCategory, kLastCategory);
        device->deviceKey = Gbk(input);
        device->description = Gbk(input);
        device->searchPattern = Gbk(input);
        const int packages = input.ConsumeIntegralInRange(0, 2);
        for (int p = 0; p < packages; ++p) {
            DriverPackageRecord package{Gbk(input), Gbk(input), Gbk(input), Gbk(input), input.ConsumeBool()};
            device->packages.push_back(package);
        }
        inventory.Category(device->category).Insert(std::move(device));
    }
    const auto utf8 = [](const std::string& gbk) { return ToUtf8(WidenGbk(gbk)); };
    expected.push_back("categories");
    for (int category = kFirstCategory; category <= kLastCategory; ++category) {
        for (const char* key : {"number", "name"})
            expected.push_back(key);
        expected.push_back(ToUtf8(CategoryDisplayName(category)));
        expected.push_back("devices");
        for (const auto& [key, device] : inventory.Category(category)) {
            for (const std::string* field : {&device->deviceKey, &device->description, &device->searchPattern}) {
                expected.push_back(field == &device->deviceKey     ? "deviceKey"
                                   : field == &device->description ? "description"
                                                                   : "searchPattern");
                expected.push_back(utf8(*field));
            }
            expected.push_back("packages");
            for (const DriverPackageRecord& package : device->packages) {
                for (const auto& [name, value] :
                     {std::pair<const char*, const std::string*>{"infName", &package.infName},
                      {"provider", &package.provider},
                      {"date", &package.date},
                      {"version", &package.version}}) {
                    expected.push_back(name);
                    expected.push_back(utf8(*value));
                }
                expected.push_back("isCurrent");
            }
        }
    }
    const std::string json = InventoryToJson(inventory).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    JsonReader reader(json);
    Check(reader.Document());
    Check(reader.strings == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    CheckArguments(input);
    CheckJson(input);
    return 0;
}
