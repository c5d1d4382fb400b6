// Fuzz target for the XML reader: any bytes load without a crash, a sanitizer report or a hang; the load's
// verdict agrees with CheckWellFormed; and a depth-first walk over the whole tree through the cursor, reading
// attributes on the way, keeps the cursor consistent and stays within the document.
#include "xml/XmlDocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

const wchar_t* const kAttributeNames[] = {L"NameString1", L"NameString2", L"NameString", L"a", L"b c", L"x="};

// Visits every element; returns how many it saw.
size_t WalkTree(XmlDocument& doc, const std::wstring& extraName) {
    size_t visited = 0;
    while (doc.FindElement()) {
        ++visited;
        size_t depth = 0;
        for (;;) {
            if (doc.FindChildElement()) {
                ++visited;
                for (const wchar_t* name : kAttributeNames)
                    Check(doc.GetChildAttribute(name).size() <= doc.Text().size());
                Check(doc.GetChildAttribute(extraName).size() <= doc.Text().size());
                const std::wstring child = doc.GetChildTagName();
                Check(doc.EnterElement());
                Check(doc.GetTagName() == child);
                ++depth;
                continue;
            }
            if (depth == 0)
                break;
            const std::wstring main = doc.GetTagName();
            Check(doc.LeaveElement());
            Check(doc.GetChildTagName() == main);
            --depth;
        }
        Check(!doc.LeaveElement()); // back at the top level
    }
    return visited;
}

// One file per fuzzing process, rewritten for the inputs that also go through LoadFile and removed at exit.
// It lives in memory when the system has a memory file system: on a disk each such input costs as much as
// a thousand others.
struct ScratchFile {
    static std::filesystem::path Folder() {
        std::error_code error;
        return std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path();
    }
    ScratchFile() : path(Folder() / ("xml_document_fuzz_" + std::to_string(getpid()) + ".xml")) {}
    ~ScratchFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    std::filesystem::path path;
};

const std::filesystem::path& ScratchPath() {
    static const ScratchFile file;
    return file.path;
}

// Loading the same bytes from a file gives the same document and verdict.
void CheckFileLoad(std::string_view bytes, const XmlDocument& fromMemory) {
    std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
    Check(file != nullptr);
    Check(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    Check(std::fclose(file) == 0);
    XmlDocument fromFile;
    Check(fromFile.LoadFile(ScratchPath()) == fromMemory.CheckWellFormed());
    Check(fromFile.Text() == fromMemory.Text());
    Check(fromFile.Result() == fromMemory.Result());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    XmlDocument doc;
    const bool wellFormed = doc.LoadBytes(bytes);
    Check(wellFormed == doc.CheckWellFormed());
    Check(doc.Text().size() <= size); // decoding never makes more code units than there were bytes
    if (size % 16 == 0)
        CheckFileLoad(bytes, doc);

    // A name taken from the document itself must be found again.
    doc.ResetMain();
    std::wstring firstName;
    if (doc.FindElement()) {
        firstName = doc.GetTagName();
        doc.ResetMain();
        Check(firstName.empty() || doc.FindElement(firstName));
        doc.ResetMain();
    }

    const size_t visited = WalkTree(doc, firstName);
    Check(visited * 3 <= doc.Text().size()); // every element takes at least "<a>"
    if (wellFormed)
        Check(visited >= 1);

    XmlDocument folded = doc;
    folded.SetOptions(XmlDocument::kIgnoreCase);
    folded.ResetMain();
    Check(WalkTree(folded, firstName) == visited);
    return 0;
}
