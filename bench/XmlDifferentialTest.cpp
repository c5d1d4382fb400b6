// The rewritten XML reader against the reader as it was before (bench/legacy): on generated catalogues and on
// random mutations of them, both give the same text, verdict, message, tree and attribute values, loaded from
// memory and from files. The inputs avoid the four cases where the reader changed on purpose (a zero byte, a
// UTF-8 sequence cut by the end, "<" or "<!" at the end, "/" after "= " before ">"); the unit tests pin those.
#include "LegacyXmlDocument.h"
#include "XmlCatalogue.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Everything the cursor can tell about a document, in walk order.
template <typename Doc> std::vector<std::wstring> Transcript(Doc& doc, bool ignoreCase) {
    static const std::wstring kAttributeNames[] = {L"NameString1", L"NameString2", L"NameString", L"a",          L"b c",
                                                   L"x=",          L"namestring1", L"\u540d",     L"HARDWARE_ID"};
    std::vector<std::wstring> out;
    doc.SetOptions(ignoreCase ? Doc::kIgnoreCase : 0);
    doc.ResetMain();
    size_t elements = 0;
    while (doc.FindElement() && elements < 100000) {
        out.push_back(L"element " + doc.GetTagName());
        size_t depth = 0;
        for (;;) {
            if (doc.FindChildElement()) {
                ++elements;
                const std::wstring name = doc.GetChildTagName();
                out.push_back(L"child " + name + L" at depth " + std::to_wstring(depth));
                for (const std::wstring& attribute : kAttributeNames)
                    out.push_back(attribute + L"=" + doc.GetChildAttribute(attribute));
                out.push_back(L"own=" + doc.GetChildAttribute(name));
                doc.EnterElement();
                ++depth;
                continue;
            }
            if (depth == 0)
                break;
            out.push_back(L"leave " + std::to_wstring(doc.LeaveElement()) + L" " + doc.GetTagName());
            --depth;
        }
    }
    // Searches by name, among the top-level elements and among the root's children.
    for (const wchar_t* name : {L"HARDWARE_ID", L"HARDWARE_ID_END", L"hardware_id", L"PARSING_HARDWARE_ID", L"r"}) {
        doc.ResetMain();
        out.push_back(std::wstring(L"find ") + name + L" " + std::to_wstring(doc.FindElement(name)));
        doc.ResetMain();
        std::wstring children;
        while (doc.FindChildElement(name) && children.size() < 100000)
            children += doc.GetChildAttribute(L"NameString1") + L";";
        out.push_back(children);
    }
    return out;
}

template <typename Doc> std::vector<std::wstring> Describe(Doc& doc, bool loaded) {
    std::vector<std::wstring> out{std::to_wstring(loaded), std::to_wstring(doc.CheckWellFormed()), doc.Result(),
                                  std::wstring(doc.Text().begin(), doc.Text().end())};
    for (bool ignoreCase : {false, true}) {
        const std::vector<std::wstring> walk = Transcript(doc, ignoreCase);
        out.insert(out.end(), walk.begin(), walk.end());
    }
    return out;
}

class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 747796405u + 2891336453u) {}
    uint32_t Next(uint32_t bound) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ % bound;
    }

private:
    uint32_t state_;
};

// A catalogue with pieces of markup, Chinese text and broken bytes put in, taken out or swapped around.
std::string Mutate(std::string text, Random& random, int edits) {
    static const std::string kPieces[] = {"<",
                                          "</",
                                          ">",
                                          "/>",
                                          "=",
                                          "\"",
                                          "'",
                                          "/",
                                          " ",
                                          "\n",
                                          "<!--",
                                          "-->",
                                          "<![CDATA[",
                                          "]]>",
                                          "<!DOCTYPE r [",
                                          "]>",
                                          "<?",
                                          "?>",
                                          "<!ENTITY",
                                          "<!-",
                                          "<![X",
                                          "&amp;",
                                          "&#65;",
                                          "&#x4e2d;",
                                          "&lt",
                                          "<a>",
                                          "</a>",
                                          "<b x=y/>",
                                          "<c a='1' b=\"2\"/>",
                                          "\xe5\x8d\xb8",
                                          "\xf0\x9f\x98\x80",
                                          "\xff",
                                          "\xe5",
                                          "\xc0\x80",
                                          "\x80",
                                          "<HARDWARE_ID",
                                          "</HARDWARE_ID_CATALOGUE>",
                                          "<PARSING_HARDWARE_ID>",
                                          "\xe5<",
                                          "NameString1",
                                          "<1",
                                          "< a"};
    for (int i = 0; i < edits && !text.empty(); ++i) {
        const size_t at = random.Next(static_cast<uint32_t>(text.size()));
        switch (random.Next(4)) {
        case 0:
            text.insert(at, kPieces[random.Next(std::size(kPieces))]);
            break;
        case 1:
            text.erase(at, random.Next(12));
            break;
        case 2:
            text[at] = static_cast<char>(random.Next(255) + 1);
            break;
        default: {
            const size_t from = random.Next(static_cast<uint32_t>(text.size()));
            text.insert(at, text.substr(from, random.Next(40)));
            break;
        }
        }
    }
    // Out of the cases where the reader changed on purpose: no zero byte, no "/" opening a value after "= "
    // right before ">", and three plain bytes at the end, so nothing is cut there.
    for (char& c : text) {
        if (c == '\0')
            c = 'Z';
    }
    for (size_t slash = text.find("/>"); slash != std::string::npos; slash = text.find("/>", slash + 2)) {
        size_t before = slash;
        while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t' || text[before - 1] == '\n' ||
                              text[before - 1] == '\r'))
            --before;
        if (before < slash && before > 0 && text[before - 1] == '=')
            text.insert(slash, "v");
    }
    return text + "\n\n\n";
}

void ExpectSameFromMemory(const std::string& bytes) {
    XmlDocument ours;
    legacy::XmlDocument before;
    const bool oursLoaded = ours.LoadBytes(bytes);
    const bool beforeLoaded = before.LoadBytes(bytes);
    EXPECT_EQ(Describe(ours, oursLoaded), Describe(before, beforeLoaded)) << bytes;
}

} // namespace

TEST(XmlDifferential, GeneratedCataloguesReadTheSame) {
    for (uint32_t seed = 1; seed <= 4; ++seed)
        ExpectSameFromMemory(GenerateCatalogue(4096u << seed, seed));
}

TEST(XmlDifferential, MutatedCataloguesReadTheSame) {
    Random random(12);
    for (int round = 0; round < 3000; ++round) {
        const std::string base = GenerateCatalogue(300 + random.Next(1500), static_cast<uint32_t>(round));
        ExpectSameFromMemory(Mutate(base, random, 1 + static_cast<int>(random.Next(12))));
        if (HasFailure())
            return;
    }
}

TEST(XmlDifferential, FilesReadTheSameAcrossReadBoundaries) {
    // Large enough for many read pieces, with multi-byte sequences falling on every boundary sooner or later.
    const fs::path folder = fs::temp_directory_path() / ("xml_differential_" + std::to_string(getpid()));
    fs::create_directories(folder);
    Random random(7);
    for (int round = 0; round < 4; ++round) {
        std::string text = GenerateCatalogue(300000, static_cast<uint32_t>(round + 100));
        for (size_t at = 0; at < text.size(); at += 1 + random.Next(200))
            text.insert(at, round % 2 ? "\xe5\x8d\xb8" : "\xf0\x9f\x98\x80");
        text = Mutate(text, random, round * 50);
        const fs::path file = folder / ("round " + std::to_string(round) + ".xml");
        std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        XmlDocument ours;
        legacy::XmlDocument before;
        const bool oursLoaded = ours.LoadFile(file);
        const bool beforeLoaded = before.LoadFile(file);
        EXPECT_EQ(Describe(ours, oursLoaded), Describe(before, beforeLoaded)) << round;
        XmlDocument fromMemory;
        EXPECT_EQ(fromMemory.LoadBytes(text), oursLoaded) << round;
        EXPECT_EQ(ours.Text(), fromMemory.Text()) << round;
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
