#include "record_arena.h"

#include <cstring>

namespace mobrel {

namespace {

// The records are packed: pointer alignment keeps their pointers and numbers
// where they were laid out, and wastes less than alignment for any object.
constexpr size_t kRecordAlignment = alignof(void*);

}  // namespace

// alignment is a power of two; blocks themselves are aligned for any object.
void* RecordArena::Stream::take(size_t bytes, size_t alignment, size_t blockBytes) {
    const size_t start = (used + alignment - 1) & ~(alignment - 1);
    if (blocks.empty() || start + bytes > capacity) {
        // A request larger than a block (a very long text) gets a block of its own.
        const size_t size = bytes > blockBytes ? bytes : blockBytes;
        blocks.emplace_back(new char[size]);
        capacity = size;
        used = bytes;
        return blocks.back().get();
    }
    used = start + bytes;
    return blocks.back().get() + start;
}

void* RecordArena::zeroed(size_t bytes) {
    return std::memset(records_.take(bytes, kRecordAlignment, blockBytes_), 0, bytes);
}

char* RecordArena::copy(std::string_view text) {
    char* out = static_cast<char*>(texts_.take(text.size() + 1, 1, blockBytes_));
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return out;
}

void RecordArena::clear() {
    records_ = Stream {};
    texts_ = Stream {};
}

}  // namespace mobrel
