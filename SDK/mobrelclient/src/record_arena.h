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
    // Blocks of this many bytes are taken from the heap as needed.
    explicit RecordArena(size_t blockBytes = 16 * 1024) : blockBytes_(blockBytes) {}

    // A zeroed object of type T (a plain record) that lives until clear().
    template <typename T>
    T* make() {
        return new (zeroed(sizeof(T))) T {};
    }
    // Zeroed bytes for a record, aligned for the pointers and numbers in it.
    void* zeroed(size_t bytes);
    // A NUL-terminated copy of text, exactly its length plus the NUL.
    char* copy(std::string_view text);
    // Releases everything handed out.
    void clear();

private:
    // Records and texts fill blocks of their own: records stay aligned, and
    // texts follow each other with no gap.
    struct Stream {
        void* take(size_t bytes, size_t alignment, size_t blockBytes);

        std::vector<std::unique_ptr<char[]>> blocks;
        size_t used = 0;      // bytes taken from the last block
        size_t capacity = 0;  // size of the last block
    };

    size_t blockBytes_;
    Stream records_;
    Stream texts_;
};

}  // namespace mobrel
