// The element index of an XML document: entries addressed by number, kept in fixed-size segments so that
// growing the table copies only segment pointers and the last, partly filled segment.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace legacy {

// One element of the document; entry 0 stands for the document itself.
struct ElementEntry {
    static constexpr uint32_t kLevelMask = 0xFFFF;
    static constexpr uint32_t kFirstChild = 0x80000;
    static constexpr uint32_t kNeverEnded = 0x100000;
    static constexpr uint32_t kHasProblem = 0x200000;
    static constexpr uint32_t kIllFormed = 0x800000; // entry 0 only

    uint32_t start = 0;  // offset of the "<" of the start tag
    uint32_t length = 0; // up to the ">" of the end tag (the start tag's length when there is none)
    uint32_t startTagLength = 0;
    uint32_t endTagLength = 0; // 0 for an empty-element tag and for an element never ended
    uint32_t flags = 0;        // nesting level in the low bits, the flag bits above
    uint32_t parent = 0;
    uint32_t firstChild = 0;
    uint32_t nextSibling = 0;     // 0 for the last child
    uint32_t previousSibling = 0; // for the first child: the last child, so appending needs no walk

    uint32_t Level() const { return flags & kLevelMask; }
    void SetLevel(uint32_t level) { flags = (flags & ~kLevelMask) | (level < kLevelMask ? level : kLevelMask); }
};

class ElementTable {
public:
    static constexpr uint32_t kSegmentBits = 16;
    static constexpr uint32_t kSegmentSize = 1u << kSegmentBits;

    ElementTable() = default;
    ElementTable(const ElementTable& other);
    ElementTable& operator=(const ElementTable& other);
    ElementTable(ElementTable&&) noexcept = default;
    ElementTable& operator=(ElementTable&&) noexcept = default;

    // Drops every entry and makes room for `capacity` cleared entries (at least one).
    void Reset(uint32_t capacity);
    // Grows the room by half (by at least one entry); existing entries keep their values.
    void Grow();
    uint32_t Capacity() const { return capacity_; }

    ElementEntry& operator[](uint32_t index) { return segments_[index >> kSegmentBits][index & (kSegmentSize - 1)]; }
    const ElementEntry& operator[](uint32_t index) const {
        return segments_[index >> kSegmentBits][index & (kSegmentSize - 1)];
    }

private:
    void Resize(uint32_t capacity);

    std::vector<std::unique_ptr<ElementEntry[]>> segments_;
    uint32_t capacity_ = 0;
};

} // namespace legacy
