// The XML reader: UTF-8 decoding, the node scanner, the element tree and the cursor over it.
#include "xml/XmlDocument.h"

#include "text/TextCase.h"
#include "xml/FileRead.h"

#include <algorithm>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <unordered_map>

namespace {

constexpr char16_t kReplacement = u'?';

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool StartsTagName(char16_t c) {
    return (c >= u'A' && c <= u'Z') || c > 0x60 || c == u'_' || c == u':';
}

// Appends UTF-16 units (to a wide string too); values beyond the last Unicode character have no UTF-16 form
// and become "?".
template <typename String> void AppendCodePoint(String& out, uint32_t value) {
    using Unit = typename String::value_type;
    if (value > 0x10FFFF) {
        out += static_cast<Unit>(kReplacement);
    } else if (value > 0xFFFF) {
        value -= 0x10000;
        out += static_cast<Unit>(0xD800 + (value >> 10));
        out += static_cast<Unit>(0xDC00 + (value & 0x3FF));
    } else {
        out += static_cast<Unit>(value);
    }
}

// True when none of the 8 bytes has its top bit set or is zero: plain ASCII that can be widened as it is.
bool PlainAscii(uint64_t eight) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kTops = 0x8080808080808080ull;
    // No top bit set, and subtracting one from each byte with its top bit forced on borrows from none.
    return (eight & kTops) == 0 && (((eight | kTops) - kOnes) & kTops) == kTops;
}

// Lenient UTF-8 into UTF-16: overlong forms and surrogate values pass, and what cannot be decoded becomes "?"
// with decoding going on at the byte that broke it. A zero byte ends the text, as does a sequence cut off by
// the end of the data (it is dropped). The output grows in slices, so `out` must have been reserved for the
// whole input (plus a few units) to be written without a reallocation.
class Utf8Decoder {
public:
    explicit Utf8Decoder(std::u16string& out) : out_(out) {}

    // Decodes what it can of `bytes` and returns how many it used. Unless `last`, it stops where fewer than 4
    // bytes remain, so that no sequence can be cut by the end of the piece.
    size_t Decode(std::string_view bytes, bool last) {
        const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto* const end = begin + bytes.size();
        if (ended_)
            return bytes.size();
        const auto* const stop = last ? end : (bytes.size() > 3 ? end - 3 : begin);
        const auto* p = begin;
        while (p < stop && !ended_) {
            const size_t slice = std::min<size_t>(static_cast<size_t>(stop - p), kSlice);
            // A sequence never makes more units than it has bytes; the last one may reach 3 bytes past the slice.
            const size_t base = out_.size();
            out_.resize(base + slice + 4);
            char16_t* w = out_.data() + base;
            p = DecodeSlice(p, p + slice, end, w);
            out_.resize(static_cast<size_t>(w - out_.data()));
        }
        return ended_ ? bytes.size() : static_cast<size_t>(p - begin);
    }

private:
    static constexpr size_t kSlice = 32768;

    const unsigned char* DecodeSlice(const unsigned char* p, const unsigned char* sliceEnd, const unsigned char* end,
                                     char16_t*& w) {
        while (p < sliceEnd) {
            const unsigned lead = *p;
            if (lead < 0x80) {
                if (lead == 0) {
                    ended_ = true;
                    return p;
                }
                // Runs of ASCII (most of any document) go many bytes at a time.
#if defined(__SSE2__)
                const __m128i zero = _mm_setzero_si128();
                while (sliceEnd - p >= 16) {
                    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                    const unsigned special = static_cast<unsigned>(_mm_movemask_epi8(bytes)) |
                                             static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)));
                    if (special != 0) {
                        // The plain bytes before the first special one, then that one on the slow path.
                        for (int k = __builtin_ctz(special); k > 0; --k)
                            *w++ = *p++;
                        break;
                    }
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(w), _mm_unpacklo_epi8(bytes, zero));
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(w + 8), _mm_unpackhi_epi8(bytes, zero));
                    w += 16;
                    p += 16;
                }
#endif
                uint64_t eight;
                while (sliceEnd - p >= 8 && (std::memcpy(&eight, p, 8), PlainAscii(eight))) {
                    for (int k = 0; k < 8; ++k)
                        w[k] = p[k];
                    w += 8;
                    p += 8;
                }
                if (p < sliceEnd && *p < 0x80 && *p != 0)
                    *w++ = *p++;
                continue;
            }
            size_t extra;
            uint32_t value;
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
                *w++ = kReplacement;
                ++p;
                continue;
            }
            if (static_cast<size_t>(end - p) <= extra) {
                ended_ = true; // cut off by the end of the data
                return p;
            }
            size_t k = 1;
            for (; k <= extra; ++k) {
                const unsigned next = p[k];
                if (next < 0x80)
                    break;
                value = (value << 6) | (next & 0x3F);
            }
            p += k;
            if (k <= extra) {
                *w++ = kReplacement; // invalid at the byte that broke it, where decoding resumes
            } else if (value == 0 || value > 0x10FFFF) {
                *w++ = kReplacement;
            } else if (value > 0xFFFF) {
                value -= 0x10000;
                *w++ = static_cast<char16_t>(0xD800 + (value >> 10));
                *w++ = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
            } else {
                *w++ = static_cast<char16_t>(value);
            }
        }
        return p;
    }

    std::u16string& out_;
    bool ended_ = false;
};

// Decodes a file into the text as it is read.
class TextFromFile : public FilePieces {
public:
    explicit TextFromFile(std::u16string& text) : text_(text), decoder_(text) {}
    void Expect(uint64_t bytes) override { text_.reserve(static_cast<size_t>(bytes) + 8); }
    size_t Take(std::string_view piece, bool last) override {
        const size_t taken = decoder_.Decode(piece, last);
        bytes_ += taken;
        return taken;
    }
    uint64_t Bytes() const { return bytes_; }

private:
    std::u16string& text_;
    Utf8Decoder decoder_;
    uint64_t bytes_ = 0;
};

// Wide strings are UTF-16 on Windows and UTF-32 on the native build, where surrogate pairs become one character.
std::wstring ToWide(std::u16string_view text) {
    if constexpr (sizeof(wchar_t) == 2) {
        return std::wstring(text.begin(), text.end());
    } else {
        // Most texts hold no surrogate at all and are widened as they stand.
        if (std::none_of(text.begin(), text.end(), [](char16_t c) { return c >= 0xD800 && c < 0xE000; }))
            return std::wstring(text.begin(), text.end());
        std::wstring out(text.size(), L'\0');
        size_t n = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
                out[n++] = static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
                ++i;
                continue;
            }
            out[n++] = static_cast<wchar_t>(c);
        }
        out.resize(n);
        return out;
    }
}

std::u16string ToUtf16(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        AppendCodePoint(out, static_cast<uint32_t>(c));
    return out;
}

// A wanted name can be compared with the text as it is unless it holds characters that UTF-16 writes as
// surrogate pairs (possible only where wide strings are UTF-32).
template <typename Char> bool NeedsUtf16(std::basic_string_view<Char> name) {
    if constexpr (sizeof(Char) == 2) {
        return false;
    } else {
        for (Char c : name) {
            if (static_cast<uint32_t>(c) > 0xFFFF)
                return true;
        }
        return false;
    }
}

// A name read from the document matches the wanted name when it spells the wanted name's beginning and the
// wanted name ends there or goes on with a separator.
template <typename Char>
bool NameMatches(std::u16string_view name, std::basic_string_view<Char> wanted, bool ignoreCase) {
    if (name.size() > wanted.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const uint32_t have = name[i];
        const auto want = static_cast<uint32_t>(wanted[i]);
        if (ignoreCase ? ToUpperAscii(have) != ToUpperAscii(want) : have != want)
            return false;
    }
    if (name.size() == wanted.size())
        return true;
    const auto next = static_cast<uint32_t>(wanted[name.size()]);
    return next == u' ' || next == u'\t' || next == u'\n' || next == u'\r' || next == u'=' || next == u'/' ||
           next == u'[' || next == u']';
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

// Writes UTF-16 units into `String`, a UTF-16 or a wide string.
template <typename String> String DecodeValue(std::u16string_view value) {
    using Unit = typename String::value_type;
    static constexpr struct {
        std::u16string_view name;
        char16_t character;
    } kEntities[] = {{u"&lt;", u'<'}, {u"&amp;", u'&'}, {u"&gt;", u'>'}, {u"&apos;", u'\''}, {u"&quot;", u'"'}};
    String out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char16_t c = value[i];
        if (c != u'&') {
            out += static_cast<Unit>(c);
            continue;
        }
        const std::u16string_view rest = value.substr(i);
        bool replaced = false;
        for (const auto& entity : kEntities) {
            if (rest.starts_with(entity.name)) {
                out += static_cast<Unit>(entity.character);
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
            out += static_cast<Unit>(c);
        }
    }
    return out;
}

// A decoded attribute value as a wide string: where wide strings are UTF-32, its surrogate pairs are joined.
std::wstring DecodeValueWide(std::u16string_view value) {
    if constexpr (sizeof(wchar_t) == 2) {
        return DecodeValue<std::wstring>(value);
    } else {
        return ToWide(DecodeValue<std::u16string>(value));
    }
}

// Character classes of the attribute tokens.
constexpr unsigned kBlankClass = 1;
constexpr unsigned kDelimiterClass = 2; // "=", ">", "/", "?"
constexpr unsigned kCloseClass = 4;     // ">"
constexpr unsigned kQuoteClass = 8;

unsigned TokenClass(char16_t c) {
    switch (c) {
    case u' ':
    case u'\t':
    case u'\n':
    case u'\r':
        return kBlankClass;
    case u'=':
    case u'/':
    case u'?':
        return kDelimiterClass;
    case u'>':
        return kDelimiterClass | kCloseClass;
    case u'"':
    case u'\'':
        return kQuoteClass;
    default:
        return 0;
    }
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
    std::wstring error;
    FileReadStatus status;
    // Decoded into a text of its own: a file that cannot be read leaves the document as it was.
    std::u16string text;
    uint64_t bytes = 0;
    try {
        TextFromFile pieces(text);
        status = ReadFileInPieces(path, kMaxBytes, pieces, error);
        bytes = pieces.Bytes();
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
    text_ = std::move(text);
    return Load(bytes);
}

bool XmlDocument::LoadBytes(std::string_view utf8) {
    if (utf8.size() > kMaxBytes) {
        result_ = L"File too large";
        return false;
    }
    try {
        std::u16string text;
        text.reserve(utf8.size() + 8);
        Utf8Decoder(text).Decode(utf8, true);
        text_ = std::move(text);
    } catch (const std::bad_alloc&) {
        return OutOfMemory();
    }
    return Load(utf8.size());
}

bool XmlDocument::Load(uint64_t bytes) {
    try {
        Parse(std::to_wstring(bytes) + L" bytes to " + std::to_wstring(text_.size()) + L" wide chars");
        return CheckWellFormed();
    } catch (const std::bad_alloc&) {
        return OutOfMemory();
    }
}

bool XmlDocument::OutOfMemory() {
    text_.clear();
    text_.shrink_to_fit();
    SetPosition(0, 0, 0);
    usedCount_ = 1;
    elements_.Reset(1); // frees the partial table before taking one entry
    result_ = L"Not enough memory to load the document";
    return false;
}

namespace {

// A character that means nothing to the scan of a start tag outside a value: not a blank, "=", ">" or "/".
bool OrdinaryInTag(char16_t c) {
    return c > u'>' || (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r' && c != u'=' && c != u'>' && c != u'/');
}

// Position of the first `c` in text[from, size), or size.
size_t FindChar(const char16_t* text, size_t from, size_t size, char16_t c) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(c));
    for (; from + 8 <= size; from += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
        const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, wanted)));
        if (hits != 0)
            return from + static_cast<size_t>(__builtin_ctz(hits)) / 2;
    }
#endif
    for (; from < size; ++from) {
        if (text[from] == c)
            return from;
    }
    return size;
}

// Position of the first of the three characters of `close` in text[from, size), or size.
size_t FindText3(const char16_t* text, size_t from, size_t size, const char16_t* close) {
    while (size >= 3 && from <= size - 3) {
        from = FindChar(text, from, size - 2, close[0]);
        if (from > size - 3)
            break;
        if (text[from + 1] == close[1] && text[from + 2] == close[2])
            return from;
        ++from;
    }
    return size;
}

} // namespace

// Scans the node that starts at one offset of the text: its kind, where it ends and, for a tag, its name.
class XmlDocument::NodeScanner {
public:
    NodeScanner(const std::u16string& text, uint32_t offset, Node& node)
        : text_(text.data()), size_(text.size()), offset_(offset), node_(node) {}

    // The scan of text and tags, the most of any document, stays in one function as it was before its split.
    [[gnu::always_inline]] void Scan() {
        if (text_[offset_] != u'<') {
            EndAt(FindChar(text_, offset_, size_, u'<'));
            return;
        }
        // A "<" or "<!" that the text ends with is a tag cut off, whatever it would have been.
        if (offset_ + 1 == size_ || (offset_ + 2 == size_ && text_[offset_ + 1] == u'!')) {
            RunToEnd(L"tag");
            return;
        }
        const char16_t first = text_[offset_ + 1];
        if (StartsTagName(first)) {
            StartTag();
            return;
        }
        switch (first) {
        case u'/':
            EndTag();
            return;
        case u'?':
            ClosedBy(u"?>", offset_ + 2, L"Processing instruction");
            return;
        case u'!':
            Declaration();
            return;
        default:
            Incorrect(L"tag name character");
            return;
        }
    }

private:
    void EndAt(size_t end) { node_.length = static_cast<uint32_t>(end - offset_); }

    char16_t CharAt(size_t i) const { return i < size_ ? text_[i] : u'\0'; }

    void RunToEnd(const wchar_t* construct) {
        node_.kind = Node::Kind::Error;
        node_.problem = construct;
        node_.unterminated = true;
        EndAt(size_);
    }

    // Constructs closed by a fixed text of one or more characters, searched from `from`.
    void ClosedBy(std::u16string_view close, size_t from, const wchar_t* construct) {
        size_t at = size_;
        if (from <= size_) {
            if (close.size() == 3)
                at = FindText3(text_, from, size_, close.data());
            else
                at = std::u16string_view(text_, size_).find(close, from);
        }
        if (at >= size_)
            RunToEnd(construct);
        else
            EndAt(at + close.size());
    }

    // An incorrect construct ends at the next ">" or before the next "<".
    void Incorrect(const wchar_t* what) {
        node_.kind = Node::Kind::Error;
        node_.problem = what;
        size_t at = offset_ + 1;
        while (at < size_ && text_[at] != u'<' && text_[at] != u'>')
            ++at;
        EndAt(at < size_ && text_[at] == u'>' ? at + 1 : at);
    }

    // A start tag: ">" outside quoted values ends it. A "/" right before that ">" makes it an empty-element tag
    // unless the "/" continues an unquoted attribute value.
    [[gnu::always_inline]] void StartTag() {
        const char16_t* const text = text_;
        const size_t size = size_;
        const size_t offset = offset_;
        // The name runs to the first blank, "/" or ">"; an "=" in it starts the full scan early.
        size_t i = offset + 2;
        while (i < size && !IsBlank(text[i]) && text[i] != u'/' && text[i] != u'>' && text[i] != u'=')
            ++i;
        size_t nameEnd = i < size && text[i] != u'=' ? i : 0;
        bool afterEquals = false;
        bool inUnquotedValue = false;
        bool slashInValue = false;
        for (; i < size; ++i) {
            if (!afterEquals && nameEnd != 0 && OrdinaryInTag(text[i])) {
                // Attribute names and unquoted values change no state but the "/" seen last.
                do
                    ++i;
                while (i < size && OrdinaryInTag(text[i]));
                slashInValue = false;
                if (i == size)
                    break;
            }
            const char16_t c = text[i];
            if (nameEnd == 0 && (IsBlank(c) || c == u'/' || c == u'>'))
                nameEnd = i;
            if (afterEquals && !IsBlank(c)) {
                afterEquals = false;
                if (c == u'"' || c == u'\'') {
                    const size_t close = FindChar(text, i + 1, size, c);
                    if (close == size)
                        break;
                    i = close;
                    continue;
                }
                inUnquotedValue = true;
            }
            if (c == u'>') {
                node_.kind = text[i - 1] == u'/' && !slashInValue ? Node::Kind::EmptyTag : Node::Kind::StartTag;
                node_.name = std::u16string_view(text + offset + 1, nameEnd - offset - 1);
                EndAt(i + 1);
                return;
            }
            if (c == u'=') {
                afterEquals = true;
                inUnquotedValue = false;
            } else if (IsBlank(c)) {
                inUnquotedValue = false;
            }
            // A "/" that opens a value after "= " is not part of it: blanks came before it.
            slashInValue = c == u'/' && inUnquotedValue && !IsBlank(text[i - 1]);
        }
        RunToEnd(L"Element tag");
    }

    [[gnu::always_inline]] void EndTag() {
        const size_t close = FindChar(text_, offset_ + 2, size_, u'>');
        if (close == size_) {
            RunToEnd(L"Element end tag");
            return;
        }
        size_t nameEnd = offset_ + 2;
        while (nameEnd < close && !IsBlank(text_[nameEnd]))
            ++nameEnd;
        node_.kind = Node::Kind::EndTag;
        node_.name = std::u16string_view(text_ + offset_ + 2, nameEnd - offset_ - 2);
        EndAt(close + 1);
    }

    // What follows "<!": a comment, a CDATA section or a document type declaration.
    void Declaration() {
        switch (CharAt(offset_ + 2)) {
        case u'-':
            if (CharAt(offset_ + 3) == u'-')
                ClosedBy(u"-->", offset_ + 4, L"Comment");
            else
                Incorrect(L"comment tag");
            return;
        case u'[':
            if (CharAt(offset_ + 3) == u'C')
                ClosedBy(u"]]>", offset_ + 3, L"CDATA Section");
            else
                Incorrect(L"tag");
            return;
        case u'D':
            Doctype();
            return;
        case u'E':
        case u'A':
        case u'N':
            ClosedBy(u">", offset_ + 3, L"Doctype");
            return;
        default:
            Incorrect(L"! tag");
            return;
        }
    }

    // The document type declaration may hold a bracketed internal subset with ">" inside it.
    void Doctype() {
        size_t depth = 0;
        for (size_t i = offset_ + 3; i < size_; ++i) {
            const char16_t c = text_[i];
            if (c == u'[') {
                ++depth;
            } else if (c == u']' && depth > 0) {
                --depth;
            } else if (c == u'>' && depth == 0) {
                EndAt(i + 1);
                return;
            }
        }
        RunToEnd(L"Doctype");
    }

    const char16_t* const text_;
    const size_t size_;
    const size_t offset_;
    Node& node_;
};

XmlDocument::Node XmlDocument::ScanNode(uint32_t offset) const {
    Node node;
    node.start = offset;
    NodeScanner(text_, offset, node).Scan();
    return node;
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
    static constexpr uint32_t kNone = UINT32_MAX;

    struct OpenElement {
        uint32_t index;
        std::u16string_view name;
        uint32_t nameSlot;      // this name's entry in topByName_
        uint32_t belowSameName; // stack position of the next open element of the same name below, or kNone
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
        const uint32_t slot = NameSlot(node.name);
        open_.push_back({index, node.name, slot, topByName_[slot]});
        topByName_[slot] = static_cast<uint32_t>(open_.size() - 1);
    }

    void EndElement(const Node& node) {
        // Mostly the end tag closes the innermost open element; any other open element of its name is found
        // through the per-name stacks without walking the open ones.
        size_t depth;
        if (!open_.empty() && open_.back().name == node.name) {
            depth = open_.size() - 1;
        } else {
            const auto named = slots_.find(node.name);
            const uint32_t top = named == slots_.end() ? kNone : topByName_[named->second];
            if (top == kNone) {
                MarkProblem();
                Report([&] {
                    return L"No start tag for end tag " + Quote(node.name) + L" at offset " +
                           std::to_wstring(node.start);
                });
                return;
            }
            depth = top;
        }
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

    uint32_t NameSlot(std::u16string_view name) {
        const auto [at, added] = slots_.try_emplace(name, static_cast<uint32_t>(topByName_.size()));
        if (added)
            topByName_.push_back(kNone);
        return at->second;
    }

    void Pop() {
        const OpenElement& top = open_.back();
        topByName_[top.nameSlot] = top.belowSameName;
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
    // Each name met in a start tag gets a slot; the slot holds the stack position of the innermost open element
    // of that name, and each open element the position of the next one below it.
    std::unordered_map<std::u16string_view, uint32_t> slots_;
    std::vector<uint32_t> topByName_;
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
    atElement_ = main != 0;
}

void XmlDocument::ResetMain() {
    SetPosition(parentIndex_, 0, 0);
}

std::u16string_view XmlDocument::ElementName(uint32_t index) const {
    const ElementEntry& entry = elements_[index];
    const char16_t* const tag = text_.data() + entry.start;
    const size_t size = entry.startTagLength;
    size_t begin = 1;
    while (begin < size && IsBlank(tag[begin]))
        ++begin;
    size_t end = begin;
    for (; end < size; ++end) {
        const char16_t c = tag[end];
        if (IsBlank(c) || c == u'<' || c == u'>' || c == u'=' || c == u'\\' || c == u'/' || c == u'?' || c == u'!')
            break;
    }
    return std::u16string_view(tag + begin, end - begin);
}

template <typename Char>
bool XmlDocument::FindFrom(uint32_t index, std::basic_string_view<Char> name, uint32_t& found) const {
    const bool ignoreCase = (options_ & kIgnoreCase) != 0;
    for (; index != 0; index = elements_[index].nextSibling) {
        if (name.empty() || NameMatches(ElementName(index), name, ignoreCase)) {
            found = index;
            return true;
        }
    }
    return false;
}

bool XmlDocument::FindNamed(uint32_t start, std::wstring_view name, uint32_t& found) const {
    if (NeedsUtf16(name)) {
        const std::u16string wanted = ToUtf16(name);
        return FindFrom(start, std::u16string_view(wanted), found);
    }
    return FindFrom(start, name, found);
}

bool XmlDocument::FindElement(std::wstring_view name) {
    const uint32_t start = mainIndex_ != 0 ? elements_[mainIndex_].nextSibling : elements_[parentIndex_].firstChild;
    uint32_t found = 0;
    if (!FindNamed(start, name, found))
        return false;
    SetPosition(elements_[found].parent, found, 0);
    return true;
}

bool XmlDocument::FindChildElement(std::wstring_view name) {
    if (mainIndex_ == 0 && !FindElement())
        return false;
    const uint32_t start = childIndex_ != 0 ? elements_[childIndex_].nextSibling : elements_[mainIndex_].firstChild;
    uint32_t found = 0;
    if (!FindNamed(start, name, found))
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
    if (childIndex_ == 0 || !atElement_)
        return {};
    if (NeedsUtf16(name)) {
        const std::u16string wanted = ToUtf16(name);
        return ChildAttribute(std::u16string_view(wanted));
    }
    return ChildAttribute(name);
}

template <typename Char> std::wstring XmlDocument::ChildAttribute(std::basic_string_view<Char> wanted) const {
    const bool ignoreCase = (options_ & kIgnoreCase) != 0;
    const ElementEntry& entry = elements_[childIndex_];
    const std::u16string_view tag(text_.data() + entry.start, entry.startTagLength);
    // Values without references, the usual case, are converted as they stand.
    auto decoded = [](std::u16string_view value) {
        return value.find(u'&') == value.npos ? ToWide(value) : DecodeValueWide(value);
    };

    bool tagName = true;
    bool afterEquals = false;
    bool found = false;
    std::u16string_view foundName;
    const char16_t* const text = tag.data();
    const size_t size = tag.size();
    size_t pos = 1;
    for (;;) {
        while (pos < size && TokenClass(text[pos]) & kBlankClass)
            ++pos;
        if (pos >= size)
            break;
        const char16_t c = text[pos];
        const unsigned kind = TokenClass(c);
        std::u16string_view token;
        bool quoted = false;
        bool delimiter = false;
        if (kind & kQuoteClass) {
            const size_t close = FindChar(text, pos + 1, size, c);
            token = tag.substr(pos + 1, close - pos - 1);
            quoted = true;
            pos = close + 1;
        } else if ((kind & kDelimiterClass) && !(afterEquals && c != u'>')) {
            token = tag.substr(pos, 1);
            delimiter = true;
            ++pos;
        } else {
            // After "=" a token runs to a blank or ">", elsewhere also to "=", "/" or "?".
            const unsigned stop = afterEquals ? kBlankClass | kCloseClass : kBlankClass | kDelimiterClass;
            size_t end = pos + 1;
            while (end < size && !(TokenClass(text[end]) & stop))
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
            return isValue ? decoded(token) : ToWide(foundName);
        if (!isValue && NameMatches(token, wanted, ignoreCase)) {
            found = true;
            foundName = token;
        }
    }
    // A name with "=" but nothing after it has an empty value; a bare name stands for itself.
    return found && !afterEquals ? ToWide(foundName) : L"";
}
