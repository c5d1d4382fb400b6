// Fuzz target for the Device Console command lines: whatever a registry value, the tool's output or the user
// hands in as a device pattern or an INF name, a command either is refused before anything runs, or its text
// holds only plain characters, "&" always escaped, no "*" that widens the pattern, and never the program folder.
#include "FuzzCheck.h"
#include "console/DeviceConsole.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class RecordingRunner : public ICommandRunner {
public:
    CommandOutcome RunConsoleCommand(const ConsoleCommand& command, std::string&) override {
        last = command;
        ++runs;
        return CommandOutcome::Finished;
    }
    ConsoleCommand last;
    int runs = 0;
};

const std::wstring kFolder = L"C:\\Tools %PATH% & \"x\"";

// What the interpreter hands the tool after removing its carets: checks the escaping on the way.
std::wstring Unescaped(std::wstring_view argument) {
    std::wstring plain;
    for (size_t i = 0; i < argument.size(); ++i) {
        const wchar_t c = argument[i];
        Check(c > L' ' && c < 0x7F);
        Check(std::wstring_view(L"|<>%\"()!,;=").find(c) == std::wstring_view::npos);
        if (c == L'^') {
            Check(i + 1 < argument.size() && argument[i + 1] == L'&');
            continue;
        }
        if (c == L'&')
            Check(i > 0 && argument[i - 1] == L'^');
        plain += c;
    }
    return plain;
}

void CheckPatternCommand(const RecordingRunner& runner, int runsBefore, CommandOutcome outcome, std::wstring_view verb,
                         const std::wstring& pattern) {
    if (outcome == CommandOutcome::Refused) {
        Check(runner.runs == runsBefore);
        return;
    }
    const std::wstring& text = runner.last.text;
    const std::wstring prefix = L".\\devcon.exe " + std::wstring(verb) + L" ";
    Check(text.compare(0, prefix.size(), prefix) == 0);
    Check(text.find(kFolder) == std::wstring::npos && runner.last.folder == kFolder);
    const std::wstring plain = Unescaped(std::wstring_view(text).substr(prefix.size()));
    // One "*" at each end and none inside: the tool matches exactly the devices the pattern names.
    Check(plain.size() >= 3 && plain.front() == L'*' && plain.back() == L'*');
    Check(plain.find(L'*', 1) == plain.size() - 1);
    std::wstring expected;
    for (const wchar_t c : pattern)
        if (c != L'^' && c != L'*')
            expected += c;
    Check(plain.substr(1, plain.size() - 2) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first half is the search pattern, the second the INF name; each byte one UTF-16 unit, with a high byte
    // now and then, so that non-ASCII characters are tried as well.
    std::wstring pattern;
    std::wstring infName;
    for (size_t i = 0; i < size; ++i) {
        wchar_t c = data[i];
        if (c == 0xFF && i + 1 < size)
            c = static_cast<wchar_t>(0x100 + data[++i] * 37);
        (i < size / 2 ? pattern : infName) += c;
    }

    RecordingRunner runner;
    const DeviceConsole console(runner, kFolder, false);
    std::string output;
    int before = runner.runs;
    CheckPatternCommand(runner, before, console.ListDriverFiles(pattern, output), L"driverfiles", pattern);
    before = runner.runs;
    CheckPatternCommand(runner, before, console.RemoveDevices(pattern, output), L"remove", pattern);

    before = runner.runs;
    if (console.DeletePackage(infName, output) == CommandOutcome::Refused) {
        Check(runner.runs == before);
    } else {
        Check(runner.last.text == L".\\devcon.exe -f dp_delete " + infName);
        for (const wchar_t c : infName)
            Check((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
                  c == L'-' || c == L'.');
    }
    return 0;
}
