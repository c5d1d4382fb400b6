// The XML reader: UTF-8 decoding, the node scanner, the element tree and the cursor over it.
#include "LegacyXmlDocument.h"

#include "LegacyFileRead.h"

#include <new>
#include <unordered_map>

namespace legacy {

namespace {

constexpr char16_t kReplacement = u'?';

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool StartsTagName(char16_t c) {
    return (c >= u'A' && c <= u'Z') || c > 0x60 || c == u'_' || c == u':';
}

// Values beyond the last Unicode character have no UTF-16 form and become "?".
void AppendCodePoint(std::u16string& out, uint32_t value) {
    if (value > 0x10FFFF) {
        out += kReplacement;
    } else if (value > 0xFFFF) {
        value -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (value >> 10));
        out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    } else {
        out += static_cast<char16_t>(value);
    }
}

// Lenient UTF-8: overlong forms and surrogate values pass; what cannot be decoded becomes "?" and decoding
// goes on, so no byte of the file is silently lost. A zero byte is no XML character and becomes "?" too.
std::u16string DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += lead == 0 ? kReplacement : static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        size_t extra = 0;
        uint32_t value = 0;
        if (!(lead & 0x20)) {
            extra = 1;
            value = lead & 0x1F;
        } else if (!(lead & 0x10)) {
            extra = 2;
            value = lead & 0x0F;
        } else if (!(lead & 0x08)) {
            extra = 3;
            value = lead & 0x07;
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        size_t k = 1;
        for (; k <= extra && i + k < size; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (next < 0x80)
                break;
            value = (value << 6) | (next & 0x3F);
        }
        if (k <= extra) {
            // Invalid at byte i + k, or cut off by the end of the data: one "?" for the bytes taken so far.
            out += kReplacement;
            i += k;
            continue;
        }
        AppendCodePoint(out, value == 0 ? kReplacement : value); // beyond U+10FFFF gives "?" as well
        i += extra + 1;
    }
    return out;
}

// Wide strings are UTF-16 on Windows and UTF-32 on the native build.
std::wstring ToWide(std::u16string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if constexpr (sizeof(wchar_t) == 4) {
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
                out += static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
                ++i;
                continue;
            }
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}

std::u16string ToUtf16(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        AppendCodePoint(out, static_cast<uint32_t>(c));
    return out;
}

char16_t FoldCase(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
}

// A name read from the document matches the wanted name when it spells the wanted name's beginning and the
// wanted name ends there or goes on with a separator.
bool NameMatches(std::u16string_view name, std::u16string_view wanted, bool ignoreCase) {
    if (name.size() > wanted.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (ignoreCase ? FoldCase(name[i]) != FoldCase(wanted[i]) : name[i] != wanted[i])
            return false;
    }
    if (name.size() == wanted.size())
        return true;
    const char16_t next = wanted[name.size()];
    return IsBlank(next) || next == u'=' || next == u'/' || next == u'[' || next == u']';
}

int DigitValue(char16_t c, bool hex) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (hex && c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (hex && c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Length of a numeric reference "&#...;" starting at `at` (0 when there is none) and the character it names.
size_t NumericReference(std::u16string_view value, size_t at, uint32_t& code) {
    // The digits and the closing ";" must lie within the 7 characters after "&#".
    constexpr size_t kWindow = 7;
    size_t i = at + 2;
    const bool hex = i < value.size() && value[i] == u'x';
    if (hex)
        ++i;
    const size_t digitsStart = i;
    const size_t limit = std::min(value.size(), at + 2 + kWindow);
    code = 0;
    for (; i < limit; ++i) {
        const int digit = DigitValue(value[i], hex);
        if (digit < 0)
            break;
        code = code * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    }
    if (i == digitsStart || i >= limit || value[i] != u';')
        return 0;
    return i + 1 - at;
}

std::u16string DecodeValue(std::u16string_view value) {
    static constexpr struct {
        std::u16string_view name;
        char16_t character;
    } kEntities[] = {{u"&lt;", u'<'}, {u"&amp;", u'&'}, {u"&gt;", u'>'}, {u"&apos;", u'\''}, {u"&quot;", u'"'}};
    std::u16string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char16_t c = value[i];
        if (c != u'&') {
            out += c;
            continue;
        }
        const std::u16string_view rest = value.substr(i);
        bool replaced = false;
        for (const auto& entity : kEntities) {
            if (rest.starts_with(entity.name)) {
                out += entity.character;
                i += entity.name.size() - 1;
                replaced = true;
                break;
            }
        }
        if (replaced)
            continue;
        uint32_t code = 0;
        const size_t length = rest.size() > 1 && rest[1] == u'#' ? NumericReference(value, i, code) : 0;
        // NUL and lone surrogates would corrupt the text they are put into: such references stay as written.
        if (length != 0 && code != 0 && (code < 0xD800 || code > 0xDFFF) && code <= 0x10FFFF) {
            AppendCodePoint(out, code);
            i += length - 1;
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring Quote(std::u16string_view name) {
    return L"'" + ToWide(name) + L"'";
}

} // namespace

// One node of the text as the scanner sees it.
struct XmlDocument::Node {
    enum class Kind { StartTag, EmptyTag, EndTag, Error, Other };

    Kind kind = Kind::Other;
    uint32_t start = 0;
    uint32_t length = 0;
    std::u16string_view name; // start and end tags
    const wchar_t* problem = nullptr;
    bool unterminated = false; // else the problem is an incorrect construct

    std::wstring Message() const {
        const std::wstring offset = std::to_wstring(start);
        if (unterminated)
            return std::wstring(problem) + L" at offset " + offset + L" unterminated";
        return L"Incorrect " + std::wstring(problem) + L" at offset " + offset;
    }
};

XmlDocument::XmlDocument() {
    elements_.Reset(1);
}

bool XmlDocument::LoadFile(const std::filesystem::path& path) {
    path_ = path;
    std::string bytes;
    std::wstring error;
    FileReadStatus status;
    try {
        status = ReadWholeFile(path, kMaxBytes, bytes, error);
    } catch (const std::bad_alloc&) {
        result_ = L"Not enough memory to read the file";
        return false;
    }
    switch (status) {
    case FileReadStatus::Missing:
        return false;
    case FileReadStatus::Failed:
        result_ = error.substr(0, error.find_first_of(L"\r\n"));
        return false;
    case FileReadStatus::TooLarge:
        result_ = L"File too large";
        return false;
    case FileReadStatus::Ok:
        break;
    }
    return Load(bytes);
}

bool XmlDocument::LoadBytes(std::string_view utf8) {
    if (utf8.size() > kMaxBytes) {
        result_ = L"File too large";
        return false;
    }
    return Load(utf8);
}

bool XmlDocument::Load(std::string_view utf8) {
    try {
        text_.clear();
        text_ = DecodeUtf8(utf8);
        Parse(std::to_wstring(utf8.size()) + L" bytes to " + std::to_wstring(text_.size()) + L" wide chars");
        return CheckWellFormed();
    } catch (const std::bad_alloc&) {
        text_.clear();
        text_.shrink_to_fit();
        SetPosition(0, 0, 0);
        usedCount_ = 1;
        elements_.Reset(1); // frees the partial table before taking one entry
        result_ = L"Not enough memory to load the document";
        return false;
    }
}

XmlDocument::Node XmlDocument::ScanNode(uint32_t offset) const {
    const std::u16string_view text = text_;
    const size_t size = text.size();
    Node node;
    node.start = offset;
    auto endAt = [&](size_t end) { node.length = static_cast<uint32_t>(end - offset); };
    auto runToEnd = [&](const wchar_t* construct) {
        node.kind = Node::Kind::Error;
        node.problem = construct;
        node.unterminated = true;
        endAt(size);
    };
    // Constructs closed by a fixed text, searched from `from`.
    auto closedBy = [&](std::u16string_view close, size_t from, const wchar_t* construct) {
        const size_t at = from <= size ? text.find(close, from) : std::u16string_view::npos;
        if (at == std::u16string_view::npos)
            runToEnd(construct);
        else
            endAt(at + close.size());
    };
    // An incorrect construct ends at the next ">" or before the next "<".
    auto incorrect = [&](const wchar_t* what) {
        node.kind = Node::Kind::Error;
        node.problem = what;
        const size_t at = text.find_first_of(u"<>", offset + 1);
        if (at == std::u16string_view::npos)
            endAt(size);
        else
            endAt(text[at] == u'>' ? at + 1 : at);
    };
    auto charAt = [&](size_t i) -> char16_t { return i < size ? text[i] : u'\0'; };

    if (text[offset] != u'<') {
        const size_t at = text.find(u'<', offset);
        endAt(at == std::u16string_view::npos ? size : at);
        return node;
    }
    const char16_t first = charAt(offset + 1);
    if (offset + 1 < size && StartsTagName(first)) {
        // A start tag: ">" outside quoted values ends it. A "/" right before that ">" makes it an empty-element
        // tag unless the "/" belongs to an unquoted attribute value.
        bool afterEquals = false;
        bool inUnquotedValue = false;
        bool slashInValue = false;
        size_t nameEnd = 0;
        for (size_t i = offset + 1; i < size; ++i) {
            const char16_t c = text[i];
            if (nameEnd == 0 && (IsBlank(c) || c == u'/' || c == u'>'))
                nameEnd = i;
            if (afterEquals && !IsBlank(c)) {
                afterEquals = false;
                if (c == u'"' || c == u'\'') {
                    const size_t close = text.find(c, i + 1);
                    if (close == std::u16string_view::npos)
                        break;
                    i = close;
                    continue;
                }
                inUnquotedValue = true;
            }
            if (c == u'>') {
                node.kind = i - 1 > offset && text[i - 1] == u'/' && !slashInValue ? Node::Kind::EmptyTag
                                                                                   : Node::Kind::StartTag;
                node.name = text.substr(offset + 1, nameEnd - offset - 1);
                endAt(i + 1);
                return node;
            }
            if (c == u'=') {
                afterEquals = true;
                inUnquotedValue = false;
            } else if (IsBlank(c)) {
                inUnquotedValue = false;
            }
            slashInValue = c == u'/' && inUnquotedValue;
        }
        runToEnd(L"Element tag");
        return node;
    }
    switch (first) {
    case u'/': {
        const size_t close = text.find(u'>', offset + 2);
        if (close == std::u16string_view::npos) {
            runToEnd(L"Element end tag");
            return node;
        }
        size_t nameEnd = offset + 2;
        while (nameEnd < close && !IsBlank(text[nameEnd]))
            ++nameEnd;
        node.kind = Node::Kind::EndTag;
        node.name = text.substr(offset + 2, nameEnd - offset - 2);
        endAt(close + 1);
        return node;
    }
    case u'?':
        closedBy(u"?>", offset + 2, L"Processing instruction");
        return node;
    case u'!':
        break;
    default:
        incorrect(L"tag name character");
        return node;
    }
    switch (charAt(offset + 2)) {
    case u'-':
        if (charAt(offset + 3) == u'-')
            closedBy(u"-->", offset + 4, L"Comment");
        else
            incorrect(L"comment tag");
        return node;
    case u'[':
        if (charAt(offset + 3) == u'C')
            closedBy(u"]]>", offset + 3, L"CDATA Section");
        else
            incorrect(L"tag");
        return node;
    case u'D': {
        // The document type declaration may hold a bracketed internal subset with ">" inside it.
        size_t depth = 0;
        for (size_t i = offset + 3; i < size; ++i) {
            const char16_t c = text[i];
            if (c == u'[') {
                ++depth;
            } else if (c == u']' && depth > 0) {
                --depth;
            } else if (c == u'>' && depth == 0) {
                endAt(i + 1);
                return node;
            }
        }
        runToEnd(L"Doctype");
        return node;
    }
    case u'E':
    case u'A':
    case u'N':
        closedBy(u">", offset + 3, L"Doctype");
        return node;
    default:
        incorrect(L"! tag");
        return node;
    }
}

// Builds the element tree from the nodes in text order, keeping the elements still open on a stack.
class XmlDocument::Builder {
public:
    explicit Builder(XmlDocument& document) : doc_(document), elements_(document.elements_) {}

    void Run() {
        const auto size = static_cast<uint32_t>(doc_.text_.size());
        uint32_t offset = 0;
        while (offset < size) {
            const Node node = doc_.ScanNode(offset);
            switch (node.kind) {
            case Node::Kind::StartTag:
            case Node::Kind::EmptyTag:
                StartElement(node);
                break;
            case Node::Kind::EndTag:
                EndElement(node);
                break;
            case Node::Kind::Error:
                MarkProblem();
                Report([&] { return node.Message(); });
                break;
            case Node::Kind::Other:
                break;
            }
            offset += node.length;
        }
        if (!open_.empty()) {
            const uint32_t innermost = open_.back().index;
            const std::u16string_view name = open_.back().name;
            Report([&] {
                return L"Element " + Quote(name) + L" at offset " + std::to_wstring(elements_[innermost].start) +
                       L" not ended";
            });
            CloseNeverEnded(0);
        }
        if (treeMoved_)
            RepairTree();
    }

    std::wstring message;

private:
    struct OpenElement {
        uint32_t index;
        std::u16string_view name;
    };

    uint32_t CurrentParent() const { return open_.empty() ? 0 : open_.back().index; }

    template <typename MakeMessage> void Report(MakeMessage make) {
        if (message.empty())
            message = make();
    }

    void MarkProblem() {
        elements_[0].flags |= ElementEntry::kIllFormed;
        elements_[CurrentParent()].flags |= ElementEntry::kHasProblem;
    }

    void StartElement(const Node& node) {
        if (doc_.usedCount_ == elements_.Capacity())
            elements_.Grow();
        const uint32_t index = doc_.usedCount_++;
        const uint32_t parent = CurrentParent();
        ElementEntry& entry = elements_[index];
        entry = ElementEntry{};
        entry.start = node.start;
        entry.startTagLength = node.length;
        entry.SetLevel(static_cast<uint32_t>(std::min<size_t>(open_.size(), UINT32_MAX)));
        Append(parent, index);
        if (node.kind == Node::Kind::EmptyTag) {
            elements_[index].length = node.length;
            return;
        }
        open_.push_back({index, node.name});
        byName_[node.name].push_back(open_.size() - 1);
    }

    void EndElement(const Node& node) {
        const auto named = byName_.find(node.name);
        if (named == byName_.end() || named->second.empty()) {
            MarkProblem();
            Report([&] {
                return L"No start tag for end tag " + Quote(node.name) + L" at offset " + std::to_wstring(node.start);
            });
            return;
        }
        const size_t depth = named->second.back();
        if (depth + 1 < open_.size()) {
            const OpenElement& innermost = open_.back();
            Report([&] {
                return L"End tag " + Quote(node.name) + L" at offset " + std::to_wstring(node.start) +
                       L" does not match start tag " + Quote(innermost.name) + L" at offset " +
                       std::to_wstring(elements_[innermost.index].start);
            });
            CloseNeverEnded(depth + 1);
        }
        ElementEntry& entry = elements_[open_.back().index];
        entry.length = node.start + node.length - entry.start;
        entry.endTagLength = node.length;
        Pop();
    }

    void Pop() {
        auto& positions = byName_[open_.back().name];
        positions.pop_back();
        open_.pop_back();
    }

    void Append(uint32_t parent, uint32_t index) {
        ElementEntry& entry = elements_[index];
        entry.parent = parent;
        const uint32_t first = elements_[parent].firstChild;
        if (first == 0) {
            elements_[parent].firstChild = index;
            entry.previousSibling = index;
            entry.flags |= ElementEntry::kFirstChild;
            return;
        }
        const uint32_t last = elements_[first].previousSibling;
        elements_[last].nextSibling = index;
        entry.previousSibling = last;
        elements_[first].previousSibling = index;
    }

    // Closes the open elements from stack position `from` upwards as never ended: each keeps only its start
    // tag, and its children follow it as its siblings, ending up under the parent of the element at `from`.
    void CloseNeverEnded(size_t from) {
        elements_[0].flags |= ElementEntry::kIllFormed;
        for (size_t position = open_.size(); position-- > from;) {
            const uint32_t index = open_[position].index;
            const uint32_t parent = position == 0 ? 0 : open_[position - 1].index;
            ElementEntry& entry = elements_[index];
            entry.flags |= ElementEntry::kNeverEnded | ElementEntry::kHasProblem;
            entry.endTagLength = 0;
            entry.length = entry.startTagLength;
            const uint32_t firstChild = entry.firstChild;
            entry.firstChild = 0;
            elements_[parent].flags |= ElementEntry::kHasProblem;
            Pop();
            if (firstChild == 0)
                continue;
            // An open element is the last child of its parent, so its children go straight after it.
            ElementEntry& first = elements_[firstChild];
            const uint32_t lastChild = first.previousSibling;
            first.flags &= ~ElementEntry::kFirstChild;
            first.previousSibling = index;
            elements_[index].nextSibling = firstChild;
            elements_[elements_[parent].firstChild].previousSibling = lastChild;
            treeMoved_ = true;
        }
    }

    // Moved elements learn their parent and level in one walk after the build, which keeps repeated moves of
    // the same elements cheap; nothing reads those fields while the tree is being built.
    void RepairTree() {
        std::vector<uint32_t> ancestors{0};
        uint32_t index = elements_[0].firstChild;
        while (index != 0) {
            ElementEntry& entry = elements_[index];
            entry.parent = ancestors.back();
            entry.SetLevel(static_cast<uint32_t>(std::min<size_t>(ancestors.size() - 1, UINT32_MAX)));
            if (entry.firstChild != 0) {
                ancestors.push_back(index);
                index = entry.firstChild;
                continue;
            }
            index = entry.nextSibling;
            while (index == 0 && ancestors.size() > 1) {
                index = elements_[ancestors.back()].nextSibling;
                ancestors.pop_back();
            }
        }
    }

    XmlDocument& doc_;
    ElementTable& elements_;
    std::vector<OpenElement> open_;
    // Stack positions of the open elements by name, so that an end tag finds its element at once.
    std::unordered_map<std::u16string_view, std::vector<size_t>> byName_;
    bool treeMoved_ = false;
};

void XmlDocument::Parse(const std::wstring& summary) {
    SetPosition(0, 0, 0);
    usedCount_ = 1;
    elements_.Reset(static_cast<uint32_t>(text_.size() / 64 + 8));
    result_.clear();
    std::wstring message;
    if (text_.empty()) {
        message = L"Empty document";
    } else {
        Builder builder(*this);
        builder.Run();
        message = std::move(builder.message);
        elements_[0].length = static_cast<uint32_t>(text_.size());
        const uint32_t root = elements_[0].firstChild;
        if (root == 0) {
            if (message.empty())
                message = L"No root element";
        } else if (elements_[root].nextSibling != 0 && message.empty()) {
            message = L"Root element has sibling";
        }
    }
    SetPosition(0, 0, 0);
    result_ = message.empty() ? summary : summary + L", " + message;
}

bool XmlDocument::CheckWellFormed() const {
    const ElementEntry& document = elements_[0];
    if (document.flags & ElementEntry::kIllFormed)
        return false;
    return document.firstChild != 0 && elements_[document.firstChild].nextSibling == 0;
}

void XmlDocument::SetPosition(uint32_t parent, uint32_t main, uint32_t child) {
    parentIndex_ = parent;
    mainIndex_ = main;
    childIndex_ = child;
    nodeType_ = main != 0 ? 1 : 0;
}

void XmlDocument::ResetMain() {
    SetPosition(parentIndex_, 0, 0);
}

std::u16string_view XmlDocument::ElementName(uint32_t index) const {
    const ElementEntry& entry = elements_[index];
    const std::u16string_view tag = std::u16string_view(text_).substr(entry.start, entry.startTagLength);
    size_t begin = 1;
    while (begin < tag.size() && IsBlank(tag[begin]))
        ++begin;
    size_t end = begin;
    while (end < tag.size() && !IsBlank(tag[end]) && std::u16string_view(u"<>=\\/?!").find(tag[end]) == tag.npos)
        ++end;
    return tag.substr(begin, end - begin);
}

bool XmlDocument::FindFrom(uint32_t index, std::u16string_view name, uint32_t& found) const {
    const bool ignoreCase = (options_ & kIgnoreCase) != 0;
    for (; index != 0; index = elements_[index].nextSibling) {
        if (name.empty() || NameMatches(ElementName(index), name, ignoreCase)) {
            found = index;
            return true;
        }
    }
    return false;
}

bool XmlDocument::FindElement(std::wstring_view name) {
    const uint32_t start = mainIndex_ != 0 ? elements_[mainIndex_].nextSibling : elements_[parentIndex_].firstChild;
    uint32_t found = 0;
    if (!FindFrom(start, ToUtf16(name), found))
        return false;
    SetPosition(elements_[found].parent, found, 0);
    return true;
}

bool XmlDocument::FindChildElement(std::wstring_view name) {
    if (mainIndex_ == 0 && !FindElement())
        return false;
    const uint32_t start = childIndex_ != 0 ? elements_[childIndex_].nextSibling : elements_[mainIndex_].firstChild;
    uint32_t found = 0;
    if (!FindFrom(start, ToUtf16(name), found))
        return false;
    SetPosition(elements_[mainIndex_].parent, mainIndex_, found);
    return true;
}

bool XmlDocument::EnterElement() {
    if (mainIndex_ == 0)
        return false;
    SetPosition(mainIndex_, childIndex_, 0);
    return true;
}

bool XmlDocument::LeaveElement() {
    if (parentIndex_ == 0)
        return false;
    SetPosition(elements_[parentIndex_].parent, parentIndex_, mainIndex_);
    return true;
}

std::wstring XmlDocument::GetTagName() const {
    return mainIndex_ != 0 ? ToWide(ElementName(mainIndex_)) : L"";
}

std::wstring XmlDocument::GetChildTagName() const {
    return childIndex_ != 0 ? ToWide(ElementName(childIndex_)) : L"";
}

std::wstring XmlDocument::GetChildAttribute(std::wstring_view name) const {
    if (childIndex_ == 0 || nodeType_ != 1)
        return {};
    const std::u16string wanted = ToUtf16(name);
    const bool ignoreCase = (options_ & kIgnoreCase) != 0;
    const ElementEntry& entry = elements_[childIndex_];
    const std::u16string_view tag = std::u16string_view(text_).substr(entry.start, entry.startTagLength);
    auto isDelimiter = [](char16_t c) { return c == u'=' || c == u'>' || c == u'/' || c == u'?'; };

    bool tagName = true;
    bool afterEquals = false;
    bool found = false;
    std::u16string_view foundName;
    size_t pos = 1;
    for (;;) {
        while (pos < tag.size() && IsBlank(tag[pos]))
            ++pos;
        if (pos >= tag.size())
            break;
        const char16_t c = tag[pos];
        std::u16string_view token;
        bool quoted = false;
        bool delimiter = false;
        if (c == u'"' || c == u'\'') {
            const size_t close = std::min(tag.find(c, pos + 1), tag.size());
            token = tag.substr(pos + 1, close - pos - 1);
            quoted = true;
            pos = close + 1;
        } else if (isDelimiter(c) && !(afterEquals && c != u'>')) {
            token = tag.substr(pos, 1);
            delimiter = true;
            ++pos;
        } else {
            size_t end = pos + 1;
            while (end < tag.size() && !IsBlank(tag[end]) && tag[end] != u'>' &&
                   (afterEquals || !isDelimiter(tag[end])))
                ++end;
            token = tag.substr(pos, end - pos);
            pos = end;
        }
        if (tagName) {
            tagName = false;
            continue;
        }
        if (delimiter) {
            if (c == u'=') {
                afterEquals = true;
                continue;
            }
            break; // ">", "/" or "?" ends the tag
        }
        const bool isValue = quoted || afterEquals;
        afterEquals = false;
        if (found)
            return isValue ? ToWide(DecodeValue(token)) : ToWide(foundName);
        if (!isValue && NameMatches(token, wanted, ignoreCase)) {
            found = true;
            foundName = token;
        }
    }
    // A name with "=" but nothing after it has an empty value; a bare name stands for itself.
    return found && !afterEquals ? ToWide(foundName) : L"";
}

} // namespace legacy
