// Page replies of contacts, messages and the call log: items "KEY:HEXVALUE;"
// read into a working record, a "." handing the record over to be stored.
#pragma once

#include <cstddef>
#include <string>

namespace mobrel {

// The keys a category reads. A working record holds one text per key, in the
// order of this list.
struct KeyList {
    const char* const* keys;
    int count;
    int find(const char* key) const;  // index of key, or -1
};

// The record being read. It belongs to the caller, so several threads may
// parse at once.
struct WorkingRecord {
    static constexpr int kMaxFields = 17;  // contacts read the most keys

    std::string text[kMaxFields];
    bool present[kMaxFields] = {};

    // The text of field, or null when the record did not carry its key.
    const char* get(int field) const { return present[field] ? text[field].c_str() : nullptr; }
    // Decodes a hex value into field; a repeated key replaces the earlier text.
    void set(int field, const char* hexValue);
    void clear();
};

// Where the records of a page go.
class RecordSink {
public:
    // Called for every record closed by "."; the sink decides whether it qualifies.
    virtual void store(const WorkingRecord& record) = 0;
    // Records kept so far.
    virtual int kept() const = 0;

protected:
    ~RecordSink() = default;
};

// Parses a NUL-terminated page reply, cut in place. Every record closed by "."
// goes to sink; a record left open at the end is dropped. Returns the number of
// records closed.
int parsePage(char* page, const KeyList& keys, WorkingRecord& work, RecordSink& sink);

}  // namespace mobrel
