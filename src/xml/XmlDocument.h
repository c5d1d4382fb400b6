// A small non-validating XML reader: loads a whole UTF-8 document as UTF-16 text, indexes its elements once,
// then moves a cursor over the element tree and reads attributes straight from the text.
#pragma once

#include "xml/ElementTable.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class XmlDocument {
public:
    // Option bit: element and attribute names compare case-insensitively (ASCII letters).
    static constexpr uint32_t kIgnoreCase = 0x8;
    // Offsets are 32-bit and reported as signed numbers, so larger inputs are refused.
    static constexpr uint64_t kMaxBytes = 0x7FFFFFFF;

    XmlDocument();

    // Reads, decodes and parses a file; true when the document is well formed. A file that does not exist
    // leaves the document as it was; one that cannot be read leaves the system's error text in Result().
    [[nodiscard]] bool LoadFile(const std::filesystem::path& path);
    // Decodes and parses UTF-8 bytes held in memory; true when the document is well formed.
    [[nodiscard]] bool LoadBytes(std::string_view utf8);

    [[nodiscard]] bool CheckWellFormed() const;

    // The cursor: a parent element, the main element among its children and a child of the main element.
    void ResetMain();
    [[nodiscard]] bool FindElement(std::wstring_view name = {}); // an empty name matches any element
    [[nodiscard]] bool FindChildElement(std::wstring_view name = {});
    bool EnterElement();
    bool LeaveElement();

    // Decoded value of an attribute of the current child element; empty when absent.
    std::wstring GetChildAttribute(std::wstring_view name) const;
    std::wstring GetTagName() const;      // name of the main element, empty when none
    std::wstring GetChildTagName() const; // name of the child element, empty when none

    void SetOptions(uint32_t options) { options_ = options; }
    uint32_t Options() const { return options_; }
    // Load summary and the first problem met while parsing; for reading by people.
    const std::wstring& Result() const { return result_; }
    const std::u16string& Text() const { return text_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    struct Node;
    class NodeScanner;
    class Builder;

    bool Load(uint64_t bytes); // parses the decoded text
    bool OutOfMemory();
    void Parse(const std::wstring& summary);
    Node ScanNode(uint32_t offset) const;
    void SetPosition(uint32_t parent, uint32_t main, uint32_t child);
    std::u16string_view ElementName(uint32_t index) const;
    bool FindNamed(uint32_t index, std::wstring_view name, uint32_t& found) const;
    template <typename Char> bool FindFrom(uint32_t index, std::basic_string_view<Char> name, uint32_t& found) const;
    template <typename Char> std::wstring ChildAttribute(std::basic_string_view<Char> wanted) const;

    std::u16string text_;
    std::wstring result_;
    uint32_t parentIndex_ = 0;
    uint32_t mainIndex_ = 0;
    uint32_t childIndex_ = 0;
    bool atElement_ = false; // the main position is on an element
    uint32_t usedCount_ = 1;
    uint32_t options_ = 0;
    std::filesystem::path path_;
    ElementTable elements_;
};
