// Parsing of the Device Console's "driverfiles" and "drivernodes" output.
#include "discovery/PackageQuery.h"

#include "text/CodePage.h"
#include "text/TextCase.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr std::string_view kInfFileLabel = "Inf file is ";
constexpr std::string_view kNodeHeading = "Driver node #";
constexpr std::string_view kOlderNodeHeading = "DriverNode #"; // how older builds of the tool head a node
constexpr std::string_view kProviderLabel = "Provider name is ";
constexpr std::string_view kDateLabel = "Driver date is ";
constexpr std::string_view kVersionLabel = "Driver version is ";

// A console at least 80 columns wide breaks a long line after 80 bytes, or after 79 when a double-byte
// character would straddle the edge. Shorter lines were never wrapped.
constexpr size_t kShortestWrappedLine = 79;

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

bool StartsWith(std::string_view text, size_t pos, std::string_view prefix) {
    return text.size() - pos >= prefix.size() && text.compare(pos, prefix.size(), prefix) == 0;
}

bool IsNodeHeading(std::string_view text, size_t pos) {
    return StartsWith(text, pos, kNodeHeading) || StartsWith(text, pos, kOlderNodeHeading);
}

// The next CR or LF at or after a position, with both searches remembered so that walking a text line by line
// reads it once.
class LineBreakFinder {
public:
    explicit LineBreakFinder(std::string_view text) : text_(text), cr_(Find('\r', 0)), lf_(Find('\n', 0)) {}

    size_t Next(size_t pos) {
        if (cr_ < pos)
            cr_ = Find('\r', pos);
        if (lf_ < pos)
            lf_ = Find('\n', pos);
        return std::min(cr_, lf_);
    }

private:
    size_t Find(char c, size_t pos) const {
        if (pos >= text_.size())
            return text_.size();
        const void* hit = std::memchr(text_.data() + pos, c, text_.size() - pos);
        return hit == nullptr ? text_.size() : static_cast<const char*>(hit) - text_.data();
    }

    std::string_view text_;
    size_t cr_;
    size_t lf_;
};

// One line end as the tool's builds and consoles write it: CR LF, CR CR LF, a bare CR or a bare LF. Returns
// where the next line starts.
size_t SkipLineBreak(std::string_view text, size_t pos) {
    if (pos < text.size() && text[pos] == '\n')
        return pos + 1;
    while (pos < text.size() && text[pos] == '\r')
        ++pos;
    return pos < text.size() && text[pos] == '\n' ? pos + 1 : pos;
}

bool IsPlainLineBreak(std::string_view text, size_t begin, size_t end) {
    return (end - begin == 1 && text[begin] == '\n') ||
           (end - begin == 2 && text[begin] == '\r' && text[begin + 1] == '\n');
}

// "3 matching device(s) found." or "No matching devices found."
bool IsSummaryLine(std::string_view line) {
    size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    return StartsWith(line, 0, "No matching devices") || (digits > 0 && StartsWith(line, digits, " matching device"));
}

// A device's instance ID: enumerator, device and instance parts, no blank.
bool IsInstanceIdLine(std::string_view line) {
    return std::count(line.begin(), line.end(), '\\') >= 2 &&
           std::none_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

// The tool indents everything inside a device's block; a line at column 0 that follows a line as long as a
// console row, and is none of the lines the tool writes at column 0, is the rest of that line wrapped by the
// console.
bool IsWrappedRest(std::string_view line, size_t previousLength) {
    return previousLength >= kShortestWrappedLine && !line.empty() && static_cast<unsigned char>(line.front()) > ' ' &&
           !IsNodeHeading(line, 0) && !IsSummaryLine(line) && !IsInstanceIdLine(line);
}

// Where the device's block starts, or npos for output without the match text. Composite USB devices list their
// parent first, whose instance ID is the bare hardware ID prefix the match text holds, with the inbox composite
// driver only; the device itself is one of its interfaces ("…&MI_00\…"). So an instance ID line that goes on
// from the match text with a further part of the ID is preferred; otherwise the first occurrence counts.
size_t BlockStart(std::string_view output, std::string_view matchText) {
    const size_t first = output.find(matchText);
    if (first == std::string_view::npos || matchText.empty())
        return first;
    for (size_t at = first; at != std::string_view::npos; at = output.find(matchText, at + 1)) {
        const size_t after = at + matchText.size();
        if ((at == 0 || IsLineBreak(output[at - 1])) && after < output.size() && output[after] == '&')
            return at;
    }
    return first;
}

// The device's own part of the output: from its match onward, up to the next line that starts at column 0
// (the next device's instance ID or the summary line), node headings excepted. Output without the match text
// is used whole, so such a device collects what every listed device has. Line ends other than CR LF or LF
// become CR LF and lines the console wrapped are joined again; the text then lives in a copy.
class DeviceBlock {
public:
    DeviceBlock(std::string_view output, std::string_view matchText) {
        size_t begin = BlockStart(output, matchText);
        const bool whole = begin == std::string_view::npos;
        if (whole)
            begin = 0;
        LineBreakFinder breaks(output);
        bool copying = false;
        size_t end = output.size();
        size_t line = begin;
        size_t previousEnd = 0;
        size_t previousLength = 0;
        bool first = true;
        for (;;) {
            if (!first) { // the line break between the previous line and this one
                const std::string_view text = output.substr(line, breaks.Next(line) - line);
                if (IsWrappedRest(text, previousLength)) {
                    if (!copying)
                        StartCopy(output, begin, previousEnd, copying);
                } else {
                    const bool plain = IsPlainLineBreak(output, previousEnd, line);
                    if (!plain && !copying)
                        StartCopy(output, begin, previousEnd, copying);
                    if (copying)
                        copy_ += plain ? output.substr(previousEnd, line - previousEnd) : "\r\n";
                    if (!whole && !text.empty() && static_cast<unsigned char>(text.front()) > ' ' &&
                        !IsNodeHeading(text, 0)) {
                        end = line;
                        break;
                    }
                }
            }
            if (line >= output.size())
                break;
            const size_t lineEnd = breaks.Next(line);
            if (copying)
                copy_.append(output.substr(line, lineEnd - line));
            if (lineEnd >= output.size())
                break; // the output ends inside this line
            previousLength = lineEnd - line;
            previousEnd = lineEnd;
            line = SkipLineBreak(output, lineEnd);
            first = false;
        }
        text_ = copying ? std::string_view(copy_) : output.substr(begin, end - begin);
    }

    std::string_view Text() const { return text_; }

private:
    void StartCopy(std::string_view output, size_t begin, size_t upTo, bool& copying) {
        copy_.reserve(output.size() - begin);
        copy_.assign(output.substr(begin, upTo - begin));
        copying = true;
    }

    std::string copy_;
    std::string_view text_;
};

// The text of the line starting at `pos`, without its line break; `pos` moves to the line break, or to
// npos when the text ends inside the line.
std::string_view TakeLine(std::string_view text, size_t& pos) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) {
        const std::string_view rest = text.substr(pos);
        pos = std::string_view::npos;
        return rest;
    }
    size_t valueEnd = end;
    if (valueEnd > pos && text[valueEnd - 1] == '\r')
        --valueEnd;
    const std::string_view line = text.substr(pos, valueEnd - pos);
    pos = valueEnd;
    return line;
}

// Every label the tool starts a line of a node with. The tool ends a message at a character it cannot write in
// its locale (a Chinese provider name, say), and the rest of it and its line break are lost: the next message
// then goes on on the same line, and a value runs up to the next label.
constexpr std::string_view kNodeLabels[] = {
    kInfFileLabel,    "Inf section is ", "Driver description is ", "Manufacturer name is ",  kProviderLabel,
    kDateLabel,       kVersionLabel,     "Driver node rank is ",   "Driver node flags are ", kNodeHeading,
    kOlderNodeHeading};

// A value as far as it goes before another message joined its line, without the blanks before that message.
std::string_view UpToJoinedMessage(std::string_view value) {
    size_t end = value.size();
    for (const std::string_view label : kNodeLabels)
        end = std::min(end, value.find(label));
    if (end == value.size())
        return value;
    value = value.substr(0, end);
    while (!value.empty() && value.back() == ' ')
        value.remove_suffix(1);
    return value;
}

// The value after `label` within `node`, up to the line break or a message that joined the line; empty when the
// node lacks the label.
std::string_view LabelValue(std::string_view node, std::string_view label) {
    size_t pos = node.find(label);
    if (pos == std::string_view::npos)
        return {};
    pos += label.size();
    return UpToJoinedMessage(TakeLine(node, pos)); // a value cut short by the end of the output is kept as it is
}

std::string_view TrimInfName(std::string_view value) {
    const size_t slash = value.rfind('\\');
    if (slash != std::string_view::npos)
        value.remove_prefix(slash + 1);
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
        value.remove_suffix(1);
    return value;
}

bool IsCurrent(std::string_view infName, std::string_view currentInfName) {
    return currentInfName.size() >= 2 && infName.find(currentInfName) != std::string_view::npos;
}

// Storage that grows by chunks of doubling size and never moves what it holds: a large output's index and node
// list would otherwise be copied again and again while they grow, and a small one starts small.
template <typename T> class ChunkedArray {
public:
    size_t size() const { return size_; }
    T& operator[](size_t index) { return At(index); }
    const T& operator[](size_t index) const { return const_cast<ChunkedArray*>(this)->At(index); }

    void push_back(const T& value) {
        if (size_ == capacity_) {
            const size_t length = kFirstChunk << chunks_.size();
            chunks_.push_back(std::make_unique<T[]>(length));
            capacity_ += length;
        }
        At(size_++) = value;
    }

private:
    static constexpr size_t kFirstChunk = 64;

    // Chunk k holds kFirstChunk << k elements, from kFirstChunk * (2^k - 1) on.
    T& At(size_t index) {
        const size_t chunk = std::bit_width(index / kFirstChunk + 1) - 1;
        return chunks_[chunk][index - kFirstChunk * ((size_t{1} << chunk) - 1)];
    }

    std::vector<std::unique_ptr<T[]>> chunks_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// Answers, for every name of a sequence, whether it occurs inside an earlier one, in time linear in the names'
// total length: the names are the patterns of an Aho-Corasick automaton, and reading each name in turn through
// it records the first name every pattern occurs in. A name occurs inside an earlier one exactly when that
// first name comes before it.
class EarlierNameIndex {
public:
    EarlierNameIndex() {
        Rehash(64);
        AddNode();
    }

    // Adds the next name of the sequence. False when the same name came before: it then occurs inside an
    // earlier one already, and it is left out of the sequence, which changes no other answer.
    bool Add(std::string_view name) {
        // Names in output tend to share a beginning with the name before them: that part of the path is known.
        size_t shared = 0;
        const size_t most = std::min(name.size(), last_.size());
        while (shared < most && name[shared] == last_[shared])
            ++shared;
        lastPath_.resize(shared);
        uint32_t node = shared == 0 ? kRoot : lastPath_[shared - 1];
        bool created = false; // a node made just now has no children to look for
        for (size_t at = shared; at < name.size(); ++at) {
            uint32_t next = created ? kNone : Child(node, name[at]);
            if (next == kNone) {
                next = AddNode();
                SetChild(node, name[at], next);
                created = true;
            }
            node = next;
            lastPath_.push_back(node);
        }
        last_ = name;
        if (node == kRoot || nodes_[node].isName)
            return false;
        nodes_[node].isName = true;
        for (uint32_t node : lastPath_)
            path_.push_back(node);
        pathEnds_.push_back(path_.size());
        return true;
    }

    // The number of names added and kept.
    size_t Count() const { return pathEnds_.size(); }

    // Links the automaton and reads every name through it; OccursEarlier answers after this.
    void Finish() {
        LinkFailures();
        for (size_t index = 0, from = 0; index < pathEnds_.size(); from = pathEnds_[index++])
            Read(from, pathEnds_[index], static_cast<uint32_t>(index));
    }

    // Whether the `index`-th name kept occurs inside an earlier one.
    bool OccursEarlier(size_t index) const { return nodes_[path_[pathEnds_[index] - 1]].firstSeen < index; }

private:
    static constexpr uint32_t kRoot = 0;
    static constexpr uint32_t kNone = UINT32_MAX;

    // Most nodes have one child or a few: those are found along the node's list of children, which lies close
    // by since nodes are made in the order names arrive. Only a node with more children than that uses the
    // table, so the table stays small and a chain of new nodes costs no table probes.
    static constexpr uint8_t kListedChildren = 8;

    // One probe of the child table touches one cache line.
    struct Slot {
        uint64_t key = 0; // parent and byte; 0 marks a free slot
        uint32_t child = kNone;
    };

    // What the automaton keeps of a node, together: building and reading it touch all of it at once.
    struct Node {
        uint32_t failure = kRoot;
        uint32_t firstChild = kNone;
        uint32_t nextSibling = kNone;
        uint32_t firstSeen = kNone; // the first name the node's text occurs in
        char label = 0;
        bool isName = false;
        uint8_t children = 0; // up to kListedChildren + 1
    };

    uint32_t AddNode() {
        nodes_.push_back(Node());
        return static_cast<uint32_t>(nodes_.size() - 1);
    }

    static uint64_t Key(uint32_t node, char c) {
        return ((static_cast<uint64_t>(node) << 8) | static_cast<unsigned char>(c)) + 1;
    }
    size_t Home(uint64_t key) const { return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_); }

    void Rehash(size_t capacity) {
        std::vector<Slot> slots(capacity);
        mask_ = capacity - 1;
        shift_ = 64;
        for (size_t bits = capacity; bits > 1; bits /= 2)
            --shift_;
        for (const Slot& old : slots_) {
            if (old.key == 0)
                continue;
            size_t slot = Home(old.key);
            while (slots[slot].key != 0)
                slot = (slot + 1) & mask_;
            slots[slot] = old;
        }
        slots_.swap(slots);
    }

    void PutInTable(uint32_t node, char c, uint32_t child) {
        if (++tabled_ * 4 > slots_.size() * 3) // at most three quarters full, so that probes stay short
            Rehash(slots_.size() * 2);
        const uint64_t key = Key(node, c);
        size_t slot = Home(key);
        while (slots_[slot].key != 0)
            slot = (slot + 1) & mask_;
        slots_[slot] = {key, child};
    }

    uint32_t Child(uint32_t node, char c) const {
        if (nodes_[node].children <= kListedChildren) {
            for (uint32_t child = nodes_[node].firstChild; child != kNone; child = nodes_[child].nextSibling)
                if (nodes_[child].label == c)
                    return child;
            return kNone;
        }
        const uint64_t key = Key(node, c);
        for (size_t slot = Home(key);; slot = (slot + 1) & mask_) {
            if (slots_[slot].key == key)
                return slots_[slot].child;
            if (slots_[slot].key == 0)
                return kNone;
        }
    }

    void SetChild(uint32_t node, char c, uint32_t child) {
        nodes_[child].label = c;
        nodes_[child].nextSibling = nodes_[node].firstChild;
        nodes_[node].firstChild = child;
        if (nodes_[node].children > kListedChildren) {
            PutInTable(node, c, child);
        } else if (++nodes_[node].children > kListedChildren) { // too many for the list: all go to the table
            for (uint32_t each = nodes_[node].firstChild; each != kNone; each = nodes_[each].nextSibling)
                PutInTable(node, nodes_[each].label, each);
        }
    }

    // The state after `c` from `node`, falling back along the failure links.
    uint32_t Step(uint32_t node, char c) const {
        for (;;) {
            const uint32_t next = Child(node, c);
            if (next != kNone)
                return next;
            if (node == kRoot)
                return kRoot;
            node = nodes_[node].failure;
        }
    }

    void LinkFailures() {
        std::vector<uint32_t> queue;
        queue.reserve(nodes_.size());
        for (uint32_t child = nodes_[kRoot].firstChild; child != kNone; child = nodes_[child].nextSibling)
            queue.push_back(child);
        for (size_t head = 0; head < queue.size(); ++head) {
            const uint32_t node = queue[head];
            for (uint32_t child = nodes_[node].firstChild; child != kNone; child = nodes_[child].nextSibling) {
                nodes_[child].failure = Step(nodes_[node].failure, nodes_[child].label);
                queue.push_back(child);
            }
        }
    }

    // Reading a name that is itself a pattern passes exactly through the nodes of its own path. Every pattern
    // occurring in the name lies on the failure chain of one of them; the chain is marked up to the first node
    // already marked: the marked nodes stay closed under failure links, so each node is marked once.
    void Read(size_t from, size_t to, uint32_t index) {
        for (size_t step = from; step < to; ++step)
            for (uint32_t mark = path_[step]; mark != kRoot && nodes_[mark].firstSeen == kNone;
                 mark = nodes_[mark].failure)
                nodes_[mark].firstSeen = index;
    }

    std::vector<Slot> slots_;
    size_t tabled_ = 0;
    size_t mask_ = 0;
    int shift_ = 64;
    ChunkedArray<Node> nodes_;
    std::string_view last_; // the name added last, and the nodes it passes through
    std::vector<uint32_t> lastPath_;
    ChunkedArray<uint32_t> path_;  // the nodes each name kept passes through, name after name
    std::vector<size_t> pathEnds_; // where each name's part of path_ ends
};

// A node's values as the block gives them; read while the node's text is still in the cache.
struct NodeText {
    std::string_view infName;
    std::string_view provider;
    std::string_view date;
    std::string_view version;
    size_t name; // its place among the names kept
};

// The tool's own listing of the device: a line that starts with its hardware ID, and the tool's summary line. An
// interpreter's complaint that quotes the command line mentions the ID too, but never at a line's start.
bool ListsDevice(std::string_view output, std::string_view matchText) {
    if (matchText.empty() || output.find("matching device(s) found.") == std::string_view::npos)
        return false;
    for (size_t at = output.find(matchText); at != std::string_view::npos; at = output.find(matchText, at + 1))
        if (at == 0 || output[at - 1] == '\n' || output[at - 1] == '\r')
            return true;
    return false;
}

// The last line the output holds, at most 120 bytes of it, with control characters as "?" so that a log line
// stays one line.
std::string LastLineOf(std::string_view output) {
    while (!output.empty() && (output.back() == '\r' || output.back() == '\n'))
        output.remove_suffix(1);
    std::string line(output.substr(output.find_last_of("\r\n") + 1).substr(0, 120));
    std::replace_if(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; }, '?');
    return line;
}

} // namespace

bool IsThirdPartyInfName(std::string_view infName) {
    return infName.find("oem") != std::string_view::npos;
}

bool IsThirdPartyInfName(std::wstring_view infName) {
    return infName.find(L"oem") != std::wstring_view::npos;
}

std::string MatchTextOf(std::wstring_view searchPattern) {
    std::string match = NarrowAnsi(searchPattern);
    match.erase(std::remove(match.begin(), match.end(), '^'), match.end());
    return match;
}

bool ParseDriverFiles(std::string_view output, std::string_view matchText, std::string& currentInfName) {
    const DeviceBlock block(output, matchText);
    std::string_view text = block.Text();
    for (size_t inf = text.find(".inf"); inf != std::string_view::npos; inf = text.find(".inf")) {
        const std::string_view head = text.substr(0, inf + 4);
        text.remove_prefix(inf + 4);
        const size_t slash = head.rfind('\\');
        if (slash == std::string_view::npos)
            continue;
        currentInfName = head.substr(slash + 1);
        if (IsThirdPartyInfName(currentInfName))
            return true;
    }
    return !currentInfName.empty();
}

bool ParseDriverNodes(std::string_view output, std::string_view matchText, std::string_view currentInfName,
                      std::vector<DriverPackageRecord>& packages) {
    const DeviceBlock device(output, matchText);
    const std::string_view block = device.Text();
    // A node whose INF name occurs inside an earlier record's is left out. Leaving out a name never changes
    // what later names are compared with, since whatever it occurs in is itself earlier; so every name is
    // compared with all names before it, and a repeated name is left out at once.
    EarlierNameIndex names;
    for (const DriverPackageRecord& earlier : packages)
        names.Add(earlier.infName);
    ChunkedArray<NodeText> nodes;
    size_t heading = 0;      // next "Driver node #" at or after the position looked from, or npos
    size_t olderHeading = 0; // the same for "DriverNode #"
    bool headingsKnown = false;
    size_t pos = block.find(kInfFileLabel);
    while (pos != std::string_view::npos) {
        pos += kInfFileLabel.size();
        const std::string_view infName = TrimInfName(UpToJoinedMessage(TakeLine(block, pos)));
        if (pos == std::string_view::npos)
            break; // the output ends inside the INF line: its name may be cut, so the node is not trusted

        // A node's labels are looked for only up to the next node, so a missing label leaves its field empty
        // instead of taking the next node's value. The headings found are kept, since a search that finds none
        // must not be repeated for every node.
        const size_t nextInf = block.find(kInfFileLabel, pos);
        if (!headingsKnown || heading < pos)
            heading = block.find(kNodeHeading, pos);
        if (!headingsKnown || olderHeading < pos)
            olderHeading = block.find(kOlderNodeHeading, pos);
        headingsKnown = true;
        const size_t nodeEnd = std::min({nextInf, heading, olderHeading});
        if (names.Add(infName)) {
            const std::string_view labels =
                block.substr(pos, nodeEnd == std::string_view::npos ? nodeEnd : nodeEnd - pos);
            nodes.push_back({infName, LabelValue(labels, kProviderLabel), LabelValue(labels, kDateLabel),
                             LabelValue(labels, kVersionLabel), names.Count() - 1});
        }
        pos = nextInf;
    }

    names.Finish();
    std::vector<bool> kept(nodes.size());
    size_t keptCount = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        kept[i] = !names.OccursEarlier(nodes[i].name);
        keptCount += kept[i] ? 1 : 0;
    }
    packages.reserve(packages.size() + keptCount);
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (!kept[i])
            continue;
        DriverPackageRecord record;
        record.infName = nodes[i].infName;
        record.provider = nodes[i].provider;
        record.date = nodes[i].date;
        record.version = nodes[i].version;
        record.isCurrent = IsCurrent(nodes[i].infName, currentInfName);
        packages.push_back(std::move(record));
    }
    return !packages.empty();
}

namespace {

// Every answer of the tool ends with its summary line, whether it found the device or not.
bool Answered(std::string_view output) {
    return output.find("matching device(s) found.") != std::string_view::npos ||
           output.find("No matching devices found.") != std::string_view::npos;
}

// The query's arguments and how it went wrong, as the log names them.
std::wstring DescribeQuery(std::wstring_view query, std::wstring_view searchPattern, CommandOutcome outcome,
                           const std::string& output) {
    std::wstring text = std::wstring(query) + L" *" + std::wstring(searchPattern) + L"*";
    if (outcome == CommandOutcome::NotStarted)
        text += L"（没有运行）";
    else if (outcome == CommandOutcome::Refused)
        text += L"（参数不安全，没有运行）";
    else if (outcome == CommandOutcome::Finished)
        text += L"（输出 " + std::to_wstring(output.size()) + L" 字节，没有结尾的汇总行: " +
                WidenGbk(LastLineOf(output)) + L"）";
    return text;
}

using DeviceQuery = CommandOutcome (DeviceConsole::*)(std::wstring_view, std::string&) const;

// Asks `query`, and once more when the answer lacks the summary line: one answer cut short must not make the
// device or the whole PC look broken. A query that ran late is not asked again: the time is already spent.
// True when the tool answered.
bool Ask(const DeviceConsole& console, DeviceQuery query, std::wstring_view name, std::wstring_view searchPattern,
         std::string& output, PackageQueryNotes& notes, PackageQueryResult& failure) {
    CommandOutcome outcome = CommandOutcome::NotStarted;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            notes.repeatedQueries.push_back(DescribeQuery(name, searchPattern, outcome, output));
        output.clear();
        outcome = (console.*query)(searchPattern, output);
        if (outcome == CommandOutcome::Finished && Answered(output))
            return true;
        if (outcome == CommandOutcome::TimedOut || outcome == CommandOutcome::Refused)
            break;
    }
    notes.failedQuery = DescribeQuery(name, searchPattern, outcome, output);
    failure = outcome == CommandOutcome::TimedOut ? PackageQueryResult::TimedOut : PackageQueryResult::ToolFailed;
    return false;
}

} // namespace

PackageQueryResult QueryDevicePackages(const DeviceConsole& console, std::wstring_view searchPattern,
                                       std::vector<DriverPackageRecord>& packages, PackageQueryNotes& notes) {
    PackageQueryResult failure = PackageQueryResult::ToolFailed;
    const std::string matchText = MatchTextOf(searchPattern);
    std::string output;
    if (!Ask(console, &DeviceConsole::ListDriverFiles, L"driverfiles", searchPattern, output, notes, failure))
        return failure;
    std::string currentInfName;
    ParseDriverFiles(output, matchText, currentInfName);

    if (!Ask(console, &DeviceConsole::ListDriverNodes, L"drivernodes", searchPattern, output, notes, failure))
        return failure;
    ParseDriverNodes(output, matchText, currentInfName, packages);
    return ListsDevice(output, matchText) ? PackageQueryResult::Listed : PackageQueryResult::NotListed;
}

bool QueryDriverPackages(const DeviceConsole& console, std::wstring_view searchPattern,
                         std::vector<DriverPackageRecord>& packages) {
    PackageQueryNotes notes;
    return QueryDevicePackages(console, searchPattern, packages, notes) == PackageQueryResult::Listed;
}
