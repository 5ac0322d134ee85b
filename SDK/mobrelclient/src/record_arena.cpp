#include "record_arena.h"

#include <cstring>

namespace mobrel {

namespace {

constexpr size_t kBlockBytes = 64 * 1024;

}  // namespace

// alignment is a power of two; blocks themselves are aligned for any object.
void* RecordArena::allocate(size_t bytes, size_t alignment) {
    const size_t start = (used_ + alignment - 1) & ~(alignment - 1);
    if (blocks_.empty() || start + bytes > capacity_) {
        // A request larger than a block (a very long text) gets a block of its own.
        const size_t size = bytes > kBlockBytes ? bytes : kBlockBytes;
        blocks_.emplace_back(new char[size]);
        capacity_ = size;
        used_ = bytes;
        return blocks_.back().get();
    }
    used_ = start + bytes;
    return blocks_.back().get() + start;
}

char* RecordArena::copy(std::string_view text) {
    char* out = static_cast<char*>(allocate(text.size() + 1, 1));  // texts pack tightly
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return out;
}

void RecordArena::clear() {
    blocks_.clear();
    used_ = 0;
    capacity_ = 0;
}

}  // namespace mobrel
