// The segmented element index of an XML document.
#include "LegacyElementTable.h"

#include <algorithm>

namespace legacy {

ElementTable::ElementTable(const ElementTable& other) {
    Resize(other.capacity_);
    for (size_t i = 0; i < segments_.size(); ++i) {
        const uint32_t size = std::min(other.capacity_ - static_cast<uint32_t>(i << kSegmentBits), kSegmentSize);
        std::copy_n(other.segments_[i].get(), size, segments_[i].get());
    }
}

ElementTable& ElementTable::operator=(const ElementTable& other) {
    if (this != &other)
        *this = ElementTable(other);
    return *this;
}

void ElementTable::Reset(uint32_t capacity) {
    segments_.clear();
    capacity_ = 0;
    Resize(std::max<uint32_t>(capacity, 1));
}

void ElementTable::Grow() {
    const uint64_t wanted = uint64_t{capacity_} + std::max<uint32_t>(capacity_ / 2, 1);
    Resize(static_cast<uint32_t>(std::min<uint64_t>(wanted, UINT32_MAX)));
}

void ElementTable::Resize(uint32_t capacity) {
    if (capacity <= capacity_)
        return;
    // Only the last segment can be partly allocated: widen it first, then add whole or partial segments.
    const uint32_t lastSize = capacity_ & (kSegmentSize - 1);
    if (lastSize != 0) {
        const uint32_t base = capacity_ - lastSize;
        const uint32_t newSize = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{capacity} - base, kSegmentSize));
        auto widened = std::make_unique<ElementEntry[]>(newSize);
        std::copy_n(segments_.back().get(), lastSize, widened.get());
        segments_.back() = std::move(widened);
        capacity_ = base + newSize;
    }
    while (capacity_ < capacity) {
        const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{capacity} - capacity_, kSegmentSize));
        segments_.push_back(std::make_unique<ElementEntry[]>(size));
        capacity_ += size;
    }
}

} // namespace legacy
