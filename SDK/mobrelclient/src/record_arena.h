// The memory of one category's records. A list's records and their texts all
// live until the list is refilled, so they are carved out of large blocks and
// released together rather than one by one.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace mobrel {

class RecordArena {
public:
    // A zeroed object of type T (a plain record) that lives until clear().
    template <typename T>
    T* make() {
        return new (allocate(sizeof(T), alignof(std::max_align_t))) T {};
    }
    // A NUL-terminated copy of text, exactly its length plus the NUL.
    char* copy(std::string_view text);
    // Releases everything handed out.
    void clear();

private:
    void* allocate(size_t bytes, size_t alignment);

    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t used_ = 0;      // bytes taken from the last block
    size_t capacity_ = 0;  // size of the last block
};

}  // namespace mobrel
