// The XML reader: decoding, well-formedness verdicts and their messages, cursor movement, attribute values,
// files (missing, unreadable, empty, in folders with Chinese names) and large or deeply nested documents.
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::wstring Offset(std::string_view text, std::string_view what, size_t from = 0) {
    return std::to_wstring(text.find(what, from));
}

// The load summary for a document of ASCII text.
std::wstring Summary(std::string_view ascii) {
    return std::to_wstring(ascii.size()) + L" bytes to " + std::to_wstring(ascii.size()) + L" wide chars";
}

// Stops a cursor walk that would never end, so such a fault fails the test instead of hanging it.
constexpr size_t kWalkLimit = 1000000;

// Names of the children of the main element, in order, leaving the cursor where it was.
std::vector<std::wstring> ChildNames(XmlDocument doc) {
    std::vector<std::wstring> names;
    while (names.size() < kWalkLimit && doc.FindChildElement())
        names.push_back(doc.GetChildTagName());
    return names;
}

std::vector<std::wstring> TopLevelNames(const XmlDocument& loaded) {
    XmlDocument doc = loaded;
    std::vector<std::wstring> names;
    while (names.size() < kWalkLimit && doc.FindElement())
        names.push_back(doc.GetTagName());
    return names;
}

// A fresh folder with an awkward Chinese name, removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder() {
        path_ = fs::temp_directory_path() / fs::path(u8"xml 程序 A&B^C%D 测试");
        path_ += std::to_string(reinterpret_cast<uintptr_t>(this));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path Write(const fs::path& name, std::string_view bytes) const {
        const fs::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

constexpr std::string_view kCatalogue = R"(<?xml version="1.0" encoding="utf-8"?>
<!-- hardware-ID catalogue -->
<ROOT>
  <PARSING_HARDWARE_ID>
    <HARDWARE_ID NameString1="PCI\VEN_" NameString2="&amp;DEV_"/>
    <HARDWARE_ID_END NameString="not a pattern"/>
    <HARDWARE_ID NameString2='&amp;PID_' NameString1='USB\VID_' />
  </PARSING_HARDWARE_ID>
  <PARSING_HARDWARE_ID_END>
    <HARDWARE_ID_END NameString="&amp;"/>
    <HARDWARE_ID_END NameString="\"/>
  </PARSING_HARDWARE_ID_END>
</ROOT>
)";

} // namespace

// ---- Loading files ----

TEST(XmlDocumentFile, LoadsFromAFolderWithAChineseName) {
    TempFolder folder;
    const std::string bytes = "<r><e v=\"\xe6\x98\xbe\xe5\x8d\xa1\"/></r>"; // 显卡
    const fs::path file = folder.Write(fs::path(u8"解析 ParsingString.xml"), bytes);
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(file));
    EXPECT_EQ(doc.Path(), file);
    EXPECT_EQ(doc.Result(),
              std::to_wstring(bytes.size()) + L" bytes to " + std::to_wstring(bytes.size() - 4) + L" wide chars");
    ASSERT_TRUE(doc.FindChildElement(L"e"));
    EXPECT_EQ(doc.GetChildAttribute(L"v"), L"\u663e\u5361");
}

TEST(XmlDocumentFile, MissingFileFailsAndLeavesTheDocumentAsItWas) {
    TempFolder folder;
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(folder.Write("a.xml", "<first/>")));
    const std::wstring result = doc.Result();
    const fs::path missing = folder.Path() / "missing.xml";
    EXPECT_FALSE(doc.LoadFile(missing));
    EXPECT_EQ(doc.Path(), missing);
    EXPECT_EQ(doc.Result(), result);
    EXPECT_TRUE(doc.CheckWellFormed());
    EXPECT_EQ(TopLevelNames(doc), std::vector<std::wstring>{L"first"});
}

TEST(XmlDocumentFile, UnreadableFileGivesTheSystemTextOnOneLine) {
    TempFolder folder;
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFile(folder.Path())); // a folder exists but cannot be read as a file
    EXPECT_FALSE(doc.Result().empty());
    EXPECT_EQ(doc.Result().find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(doc.Result().find(L"bytes to"), std::wstring::npos);
}

TEST(XmlDocumentFile, EmptyFileIsAnEmptyDocument) {
    TempFolder folder;
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFile(folder.Write("empty.xml", "")));
    EXPECT_EQ(doc.Result(), L"0 bytes to 0 wide chars, Empty document");
    EXPECT_FALSE(doc.CheckWellFormed());
    EXPECT_FALSE(doc.FindElement());
    EXPECT_FALSE(doc.FindChildElement());
}

TEST(XmlDocumentFile, ReplacesAnEarlierDocument) {
    TempFolder folder;
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(folder.Write("one.xml", "<one><a/></one>")));
    ASSERT_TRUE(doc.FindChildElement(L"a"));
    ASSERT_TRUE(doc.LoadFile(folder.Write("two.xml", "<two><b/></two>")));
    EXPECT_EQ(doc.GetChildTagName(), L""); // the cursor starts over
    EXPECT_EQ(TopLevelNames(doc), std::vector<std::wstring>{L"two"});
}

#ifndef _WIN32
TEST(XmlDocumentFile, RefusesAFileTooLargeForItsOffsets) {
    TempFolder folder;
    const fs::path file = folder.Write("huge.xml", "<r/>");
    fs::resize_file(file, XmlDocument::kMaxBytes + 1); // sparse: takes no disk space
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadFile(file));
    EXPECT_EQ(doc.Result(), L"File too large");
}
#endif

// ---- UTF-8 decoding ----

TEST(XmlDocumentDecoding, DecodesEveryEncodedLength) {
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes("A\xc3\xa9\xe5\x8d\xb8\xf0\x9f\x98\x80")); // A é 卸 😀
    EXPECT_EQ(doc.Text(), u"A\u00e9\u5378\U0001F600");
    EXPECT_EQ(doc.Result(), L"10 bytes to 5 wide chars, No root element");
}

TEST(XmlDocumentDecoding, ByteOrderMarkIsIgnoredBeforeTheRoot) {
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadBytes("\xef\xbb\xbf<r/>"));
    EXPECT_EQ(doc.Text(), u"\ufeff<r/>");
    EXPECT_EQ(TopLevelNames(doc), std::vector<std::wstring>{L"r"});
}

TEST(XmlDocumentDecoding, InvalidBytesBecomeQuestionMarksAndLoseNoNeighbour) {
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes("a\xf8z")); // lead byte with no valid length
    EXPECT_EQ(doc.Text(), u"a?z");
    EXPECT_FALSE(doc.LoadBytes("a\xe5<z")); // continuation missing: decoding resumes at the byte that broke it
    EXPECT_EQ(doc.Text(), u"a?<z");
    EXPECT_FALSE(doc.LoadBytes("a\xe5\x8d")); // cut off by the end of the data: dropped
    EXPECT_EQ(doc.Text(), u"a");
    EXPECT_EQ(doc.Result(), L"3 bytes to 1 wide chars, No root element");
    EXPECT_TRUE(doc.LoadBytes("<r/>\xf0\x9f\x98"));
    EXPECT_EQ(doc.Text(), u"<r/>");
    EXPECT_FALSE(doc.LoadBytes("\xf7\xbf\xbf\xbf")); // beyond the last Unicode character
    EXPECT_EQ(doc.Text(), u"?");
    EXPECT_FALSE(doc.LoadBytes("\xc1\xa1")); // overlong forms pass
    EXPECT_EQ(doc.Text(), u"a");
}

TEST(XmlDocumentDecoding, InvalidBytesInsideAValueDoNotStopTheParse) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes("<r><e v=\"x\xff\xfey\"/><f/></r>"));
    ASSERT_TRUE(doc.FindChildElement(L"e"));
    EXPECT_EQ(doc.GetChildAttribute(L"v"), L"x??y");
    EXPECT_TRUE(doc.FindChildElement(L"f"));
}

TEST(XmlDocumentDecoding, ZeroByteEndsTheText) {
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadBytes(std::string_view("<r/>\0<s/>", 9)));
    EXPECT_EQ(doc.Text(), u"<r/>");
    EXPECT_EQ(doc.Result(), L"9 bytes to 4 wide chars");
    EXPECT_EQ(TopLevelNames(doc), std::vector<std::wstring>{L"r"});
    EXPECT_FALSE(doc.LoadBytes(std::string_view("<r>\0</r>", 8))); // also inside an element
    EXPECT_EQ(doc.Result(), L"8 bytes to 3 wide chars, Element 'r' at offset 0 not ended");
    const std::string padded = "<r>" + std::string(40, '\0') + "</r>" + std::string(40, '\0'); // long runs too
    EXPECT_FALSE(doc.LoadBytes(padded));
    EXPECT_EQ(doc.Text(), u"<r>");
}

// ---- Well-formedness and its messages ----

TEST(XmlDocumentParse, CatalogueWithProcessingInstructionAndCommentIsWellFormed) {
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadBytes(kCatalogue));
    EXPECT_TRUE(doc.CheckWellFormed());
    EXPECT_EQ(doc.Result(), Summary(kCatalogue));
}

TEST(XmlDocumentParse, DocumentLevelProblems) {
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes("just text"));
    EXPECT_EQ(doc.Result(), Summary("just text") + L", No root element");
    EXPECT_FALSE(doc.LoadBytes("<!-- only a comment --> \r\n"));
    EXPECT_EQ(doc.Result(), Summary("<!-- only a comment --> \r\n") + L", No root element");
    EXPECT_FALSE(doc.LoadBytes("<a/><b/>"));
    EXPECT_EQ(doc.Result(), Summary("<a/><b/>") + L", Root element has sibling");
    EXPECT_EQ(TopLevelNames(doc), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(XmlDocumentParse, EndTagWithoutStartTag) {
    const std::string text = "<r><a/></b></r>";
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes(text));
    EXPECT_EQ(doc.Result(), Summary(text) + L", No start tag for end tag 'b' at offset " + Offset(text, "</b>"));
    ASSERT_TRUE(doc.FindElement(L"r")); // the stray end tag is otherwise ignored
    EXPECT_EQ(ChildNames(doc), std::vector<std::wstring>{L"a"});
}

TEST(XmlDocumentParse, ElementClosedByAnOuterEndTagHandsItsChildrenToItsParent) {
    const std::string text = "<r><a><b/><c/></r>";
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes(text));
    EXPECT_EQ(doc.Result(), Summary(text) + L", End tag 'r' at offset " + Offset(text, "</r>") +
                                L" does not match start tag 'a' at offset " + Offset(text, "<a>"));
    ASSERT_TRUE(doc.FindElement(L"r"));
    EXPECT_EQ(ChildNames(doc), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    // The moved elements know their new parent: leaving from among them comes back to r.
    ASSERT_TRUE(doc.EnterElement());
    ASSERT_TRUE(doc.FindElement(L"c"));
    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetTagName(), L"r");
    EXPECT_EQ(doc.GetChildTagName(), L"c");
}

TEST(XmlDocumentParse, EndTagClosingSeveralElementsNamesTheInnermost) {
    const std::string text = "<r><a><b></r>";
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes(text));
    EXPECT_EQ(doc.Result(), Summary(text) + L", End tag 'r' at offset " + Offset(text, "</r>") +
                                L" does not match start tag 'b' at offset " + Offset(text, "<b>"));
    ASSERT_TRUE(doc.FindElement(L"r"));
    EXPECT_EQ(ChildNames(doc), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(XmlDocumentParse, ElementsOpenAtTheEndBecomeTopLevelSiblings) {
    const std::string text = "<r><a><b/>";
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes(text));
    EXPECT_EQ(doc.Result(), Summary(text) + L", Element 'a' at offset " + Offset(text, "<a>") + L" not ended");
    EXPECT_EQ(TopLevelNames(doc), (std::vector<std::wstring>{L"r", L"a", L"b"}));
    ASSERT_TRUE(doc.FindElement(L"b"));
    EXPECT_FALSE(doc.LeaveElement()); // b now lies at the top level
}

TEST(XmlDocumentParse, OnlyTheFirstProblemIsRecorded) {
    const std::string text = "<r></x><1></r><s/>";
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes(text));
    EXPECT_EQ(doc.Result(), Summary(text) + L", No start tag for end tag 'x' at offset " + Offset(text, "</x>"));
}

TEST(XmlDocumentParse, IncorrectConstructsNameWhatWasWrong) {
    const struct {
        std::string text;
        std::wstring what;
        std::string at;
    } cases[] = {
        {"<r><1/></r>", L"tag name character", "<1"},
        {"<r>< a/></r>", L"tag name character", "< a"},
        {"<r><!x></r>", L"! tag", "<!x"},
        {"<r><!-x--></r>", L"comment tag", "<!-x"},
        {"<r><![X[a]]></r>", L"tag", "<![X"},
        {"<r/><\n", L"tag name character", "<"},
        {"<r/><!\n", L"! tag", "<!"},
        {"<r/><!-", L"comment tag", "<!-"},
        {"<r/><![", L"tag", "<!["},
    };
    for (const auto& c : cases) {
        XmlDocument doc;
        EXPECT_FALSE(doc.LoadBytes(c.text)) << c.text;
        const size_t at = c.text.rfind(c.at);
        EXPECT_EQ(doc.Result(), Summary(c.text) + L", Incorrect " + c.what + L" at offset " + std::to_wstring(at))
            << c.text;
    }
}

TEST(XmlDocumentParse, IncorrectConstructEndsAtTheNextTagSoTheRestStillParses) {
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes("<r><1 <a/></r>"));
    ASSERT_TRUE(doc.FindElement(L"r"));
    EXPECT_EQ(ChildNames(doc), std::vector<std::wstring>{L"a"});
}

TEST(XmlDocumentParse, UnterminatedConstructsAtTheEndOfTheText) {
    const struct {
        std::string tail;
        std::wstring construct;
    } cases[] = {
        {"<e a='>", L"Element tag"},
        {"<e", L"Element tag"},
        {"<", L"tag"},
        {"<!", L"tag"},
        {"</r", L"Element end tag"},
        {"<?pi ?", L"Processing instruction"},
        {"<!-- c --", L"Comment"},
        {"<![CDATA[ x ]]", L"CDATA Section"},
        {"<!DOCTYPE r [ <!ENTITY a 'b'> ", L"Doctype"},
        {"<!ENTITY a 'b'", L"Doctype"},
    };
    for (const auto& c : cases) {
        const std::string text = "<r>" + c.tail;
        XmlDocument doc;
        EXPECT_FALSE(doc.LoadBytes(text)) << text;
        EXPECT_EQ(doc.Result(), Summary(text) + L", " + c.construct + L" at offset 3 unterminated") << text;
    }
}

TEST(XmlDocumentParse, MarkupInsideQuotesCommentsCdataAndDoctypeMakesNoElements) {
    const std::string text = "<!DOCTYPE r [ <!ELEMENT r ANY> ]>\n<?pi <x> ?><r a=\"<b>\" c = '/>'>"
                             "<!-- <d> --><![CDATA[ <e> ]]><f/></r>";
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes(text)) << doc.Result();
    ASSERT_TRUE(doc.FindElement());
    EXPECT_EQ(doc.GetTagName(), L"r");
    EXPECT_EQ(ChildNames(doc), std::vector<std::wstring>{L"f"});
}

TEST(XmlDocumentParse, EmptyElementTags) {
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadBytes("<r><a/><b /><c x=\"1\"/><d x='1' /><e x= /></r>")) << doc.Result();
    ASSERT_TRUE(doc.FindElement());
    EXPECT_EQ(ChildNames(doc), (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e"}));
    // A "/" that ends an unquoted value belongs to the value, so this tag stays open.
    EXPECT_FALSE(doc.LoadBytes("<r><a x=y/></r>"));
    EXPECT_NE(doc.Result().find(L"does not match start tag 'a'"), std::wstring::npos) << doc.Result();
}

TEST(XmlDocumentParse, EveryTruncationOfAValidDocumentLoadsSafely) {
    const std::string text(kCatalogue);
    const size_t rootEnd = text.find("</ROOT>") + 7;
    for (size_t length = 0; length <= text.size(); ++length) {
        XmlDocument doc;
        EXPECT_EQ(doc.LoadBytes(text.substr(0, length)), length >= rootEnd) << length;
    }
}

// ---- Cursor movement ----

TEST(XmlDocumentCursor, WalksTheCatalogueAsItsLoaderDoes) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes(kCatalogue));
    doc.ResetMain();
    ASSERT_TRUE(doc.FindChildElement(L"PARSING_HARDWARE_ID"));
    EXPECT_EQ(doc.GetTagName(), L"ROOT");
    ASSERT_TRUE(doc.EnterElement());
    std::vector<std::wstring> patterns;
    while (doc.FindChildElement(L"HARDWARE_ID"))
        patterns.push_back(doc.GetChildAttribute(L"NameString1") + L"|" + doc.GetChildAttribute(L"NameString2"));
    EXPECT_EQ(patterns, (std::vector<std::wstring>{L"PCI\\VEN_|&DEV_", L"USB\\VID_|&PID_"}));
    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetChildTagName(), L"PARSING_HARDWARE_ID");
    ASSERT_TRUE(doc.FindChildElement(L"PARSING_HARDWARE_ID_END"));
    ASSERT_TRUE(doc.EnterElement());
    std::vector<std::wstring> terminators;
    while (doc.FindChildElement(L"HARDWARE_ID_END"))
        terminators.push_back(doc.GetChildAttribute(L"NameString"));
    EXPECT_EQ(terminators, (std::vector<std::wstring>{L"&", L"\\"}));
    EXPECT_TRUE(doc.LeaveElement());
    EXPECT_FALSE(doc.LeaveElement()); // ROOT is at the top
}

TEST(XmlDocumentCursor, NamesAreMatchedExactly) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes("<r><HARDWARE_ID_END/><HARDWARE/><HARDWARE_ID/></r>"));
    ASSERT_TRUE(doc.FindChildElement(L"HARDWARE_ID"));
    EXPECT_EQ(doc.GetChildTagName(), L"HARDWARE_ID");
    EXPECT_FALSE(doc.FindChildElement(L"HARDWARE_ID"));
    doc.ResetMain();
    EXPECT_FALSE(doc.FindChildElement(L"hardware_id"));
    doc.ResetMain();
    doc.SetOptions(XmlDocument::kIgnoreCase);
    ASSERT_TRUE(doc.FindChildElement(L"hardware_id"));
    EXPECT_EQ(doc.GetChildTagName(), L"HARDWARE_ID");
}

TEST(XmlDocumentCursor, FindElementMovesAmongSiblingsAndResetStartsOver) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes("<r><a/><b/><a/><c/></r>"));
    ASSERT_TRUE(doc.FindElement());
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_EQ(doc.GetTagName(), L""); // entering with no current child
    ASSERT_TRUE(doc.FindElement(L"a"));
    ASSERT_TRUE(doc.FindElement(L"a"));
    ASSERT_TRUE(doc.FindElement());
    EXPECT_EQ(doc.GetTagName(), L"c");
    EXPECT_FALSE(doc.FindElement()); // no wrap-around
    EXPECT_EQ(doc.GetTagName(), L"c");
    doc.ResetMain();
    ASSERT_TRUE(doc.FindElement(L"b"));
    EXPECT_FALSE(doc.FindElement(L"b"));
}

TEST(XmlDocumentCursor, EnterAndLeave) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes("<r><a><x/><y/></a><b/></r>"));
    EXPECT_FALSE(doc.EnterElement()); // nothing to enter yet
    EXPECT_FALSE(doc.LeaveElement());
    ASSERT_TRUE(doc.FindChildElement(L"a"));
    ASSERT_TRUE(doc.EnterElement()); // a becomes the main element
    EXPECT_EQ(doc.GetTagName(), L"a");
    EXPECT_EQ(ChildNames(doc), (std::vector<std::wstring>{L"x", L"y"}));
    ASSERT_TRUE(doc.FindChildElement(L"y"));
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_FALSE(doc.FindChildElement()); // y has no children
    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetTagName(), L"a");
    EXPECT_EQ(doc.GetChildTagName(), L"y");
    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetTagName(), L"r");
    EXPECT_EQ(doc.GetChildTagName(), L"a");
    ASSERT_TRUE(doc.FindChildElement());
    EXPECT_EQ(doc.GetChildTagName(), L"b");
}

// ---- Attributes ----

TEST(XmlDocumentAttributes, ReadsQuotedUnquotedAndBareAttributes) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes("<r><e a = \"1 > 2\" b='x\"y' c=plain d e= f/g Name=\"n\" NameString=\"s\"/></r>"));
    ASSERT_TRUE(doc.FindChildElement());
    EXPECT_EQ(doc.GetChildAttribute(L"a"), L"1 > 2");
    EXPECT_EQ(doc.GetChildAttribute(L"b"), L"x\"y");
    EXPECT_EQ(doc.GetChildAttribute(L"c"), L"plain");
    EXPECT_EQ(doc.GetChildAttribute(L"d"), L"d"); // a name without a value stands for itself
    EXPECT_EQ(doc.GetChildAttribute(L"e"), L"f/g");
    EXPECT_EQ(doc.GetChildAttribute(L"NameString"), L"s");
    EXPECT_EQ(doc.GetChildAttribute(L"Name"), L"n");
    EXPECT_EQ(doc.GetChildAttribute(L"missing"), L"");
    EXPECT_EQ(doc.GetChildAttribute(L"e"), L"f/g"); // reading moves nothing
    ASSERT_TRUE(doc.LoadBytes("<r><e a=\"1\" flag/></r>"));
    ASSERT_TRUE(doc.FindChildElement());
    EXPECT_EQ(doc.GetChildAttribute(L"flag"), L"flag"); // also as the last one
}

TEST(XmlDocumentAttributes, EmptyWithoutAChildOrWithoutAValue) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes("<r a=\"1\"><e x= \t'2'/><f x=></f></r>"));
    EXPECT_EQ(doc.GetChildAttribute(L"a"), L""); // no child element yet
    ASSERT_TRUE(doc.FindElement());
    EXPECT_EQ(doc.GetChildAttribute(L"a"), L""); // attributes are read from the child only
    ASSERT_TRUE(doc.FindChildElement(L"e"));
    EXPECT_EQ(doc.GetChildAttribute(L"x"), L"2"); // blanks may follow "="
    ASSERT_TRUE(doc.FindChildElement(L"f"));
    EXPECT_EQ(doc.GetChildAttribute(L"x"), L"");
}

TEST(XmlDocumentAttributes, DecodesEntityReferences) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes("<r><e named=\"&lt;&amp;&gt;&apos;&quot;\" dec=\"&#65;&#20013;\" hex=\"&#x41;&#x4e2d;\""
                              " big=\"&#x1F600;&#128512;\" other=\"&nbsp;&am&#;&#x;&#6a;\" zero=\"a&#0;b&#x0;\""
                              " half=\"&#xD800;\" long=\"&#00000065;\" cut=\"&amp\"/></r>"));
    ASSERT_TRUE(doc.FindChildElement(L"e"));
    EXPECT_EQ(doc.GetChildAttribute(L"named"), L"<&>'\"");
    EXPECT_EQ(doc.GetChildAttribute(L"dec"), L"A\u4e2d");
    EXPECT_EQ(doc.GetChildAttribute(L"hex"), L"A\u4e2d");
    EXPECT_EQ(doc.GetChildAttribute(L"big"), L"\U0001F600\U0001F600");
    EXPECT_EQ(doc.GetChildAttribute(L"other"), L"&nbsp;&am&#;&#x;&#6a;");
    EXPECT_EQ(doc.GetChildAttribute(L"zero"), L"a&#0;b&#x0;");
    EXPECT_EQ(doc.GetChildAttribute(L"half"), L"&#xD800;");
    EXPECT_EQ(doc.GetChildAttribute(L"long"), L"&#00000065;"); // ";" beyond 7 characters after "&#"
    EXPECT_EQ(doc.GetChildAttribute(L"cut"), L"&amp");
}

TEST(XmlDocumentAttributes, AttributeNamesFollowTheCaseOption) {
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes("<r><e NameString=\"v\"/></r>"));
    ASSERT_TRUE(doc.FindChildElement());
    EXPECT_EQ(doc.GetChildAttribute(L"namestring"), L"");
    doc.SetOptions(XmlDocument::kIgnoreCase);
    EXPECT_EQ(doc.GetChildAttribute(L"namestring"), L"v");
}

TEST(XmlDocumentAttributes, ChineseValuesAndNames) {
    XmlDocument doc;
    ASSERT_TRUE(
        doc.LoadBytes("<\xe6\xa0\xb9><\xe9\xa1\xb9 \xe5\x90\x8d=\"\xe5\x8d\xb8\xe8\xbd\xbd &amp; \xe6\x88\x90\"/>"
                      "</\xe6\xa0\xb9>")); // <根><项 名="卸载 &amp; 成"/></根>
    ASSERT_TRUE(doc.FindChildElement(L"\u9879"));
    EXPECT_EQ(doc.GetTagName(), L"\u6839");
    EXPECT_EQ(doc.GetChildAttribute(L"\u540d"), L"\u5378\u8f7d & \u6210");
}

// ---- Size ----

TEST(XmlDocumentSize, ManyElementsSpanSeveralTableSegments) {
    constexpr int kCount = 200000; // three segments of the element table and then some
    std::string text = "<r>";
    for (int i = 0; i < kCount; ++i)
        text += "<e n=\"" + std::to_string(i) + "\"/>";
    text += "</r>";
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes(text)) << doc.Result();
    int seen = 0;
    bool inOrder = true;
    while (doc.FindChildElement(L"e"))
        inOrder = inOrder && doc.GetChildAttribute(L"n") == std::to_wstring(seen++);
    EXPECT_EQ(seen, kCount);
    EXPECT_TRUE(inOrder);
}

TEST(XmlDocumentSize, DeepNestingNeedsNoRecursion) {
    constexpr int kDepth = 100000;
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += i % 2 ? "<b>" : "<a>";
    text += "<leaf v=\"1\"/>";
    for (int i = kDepth; i-- > 0;)
        text += i % 2 ? "</b>" : "</a>";
    XmlDocument doc;
    ASSERT_TRUE(doc.LoadBytes(text)) << doc.Result();
    int depth = 0;
    while (doc.FindChildElement() && doc.GetChildTagName() != L"leaf" && doc.EnterElement())
        ++depth;
    EXPECT_EQ(depth, kDepth - 1);
    EXPECT_EQ(doc.GetChildAttribute(L"v"), L"1");
}

TEST(XmlDocumentSize, DeepMismatchedDocumentKeepsEveryElementInOrder) {
    // Each "</x>" closes the "y" above its partner as never ended; the leaves end up after the innermost "y".
    constexpr int kDepth = 20000;
    constexpr int kLeaves = 20000;
    std::string text = "<root>";
    for (int i = 0; i < kDepth; ++i)
        text += "<x><y>";
    for (int i = 0; i < kLeaves; ++i)
        text += "<l/>";
    for (int i = 0; i < kDepth; ++i)
        text += "</x>";
    text += "</root>";
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes(text));
    EXPECT_EQ(doc.Result(), Summary(text) + L", End tag 'x' at offset " + Offset(text, "</x>") +
                                L" does not match start tag 'y' at offset " + Offset(text, "<y><l/>"));
    ASSERT_TRUE(doc.FindElement(L"root"));
    int depth = 0;
    while (doc.FindChildElement(L"x") && doc.EnterElement())
        ++depth;
    EXPECT_EQ(depth, kDepth);
    const std::vector<std::wstring> innermost = ChildNames(doc);
    ASSERT_EQ(innermost.size(), size_t{kLeaves} + 1);
    EXPECT_EQ(innermost.front(), L"y");
    EXPECT_EQ(innermost.back(), L"l");
}

TEST(XmlDocumentSize, DeepNestingLeftOpenEndsAsTopLevelSiblings) {
    constexpr int kDepth = 100000;
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += i % 2 ? "<b>" : "<a>";
    XmlDocument doc;
    EXPECT_FALSE(doc.LoadBytes(text));
    EXPECT_EQ(doc.Result(),
              Summary(text) + L", Element 'b' at offset " + std::to_wstring(text.size() - 3) + L" not ended");
    int count = 0;
    while (doc.FindElement())
        ++count;
    EXPECT_EQ(count, kDepth);
    EXPECT_FALSE(doc.EnterElement() && doc.FindChildElement());
}
