// What the end-to-end record tests share: bringing the library up against
// phonesim through its exports, and the phone's contacts, messages and call log
// twice over: as phonesim's store files say they are (read with cJSON, apart
// from the library) and as the library's lists hold them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "phonesim_fixture.h"

namespace recordstest {

// Field name to text; nullopt for a null text.
using Fields = std::map<std::string, std::optional<std::string>>;

// A conversation (key: thread id) or a call group (key: number) with its records.
struct Group {
    std::string key;
    std::vector<Fields> records;
};

// Starts phonesim, then MobrelApi_Init, detection (a few tries) and bring-up of
// phonesim's device; index gets its place in adb's list.
::testing::AssertionResult bringUp(mobreltest::PhoneSim& sim, const mobreltest::SimOptions& options,
                                   int* index = nullptr);

// The store's records in the order the library lists them. limit: only the first
// limit records the phone pages out (what a flush failing midway has seen).
std::vector<Fields> storeContacts(const std::filesystem::path& state, size_t limit = SIZE_MAX);
std::vector<Group> storeConversations(const std::filesystem::path& state, size_t limit = SIZE_MAX);
std::vector<Group> storeCallGroups(const std::filesystem::path& state, size_t limit = SIZE_MAX);

// The library's lists as the getters hand them out.
std::vector<Fields> libraryContacts();
std::vector<Group> libraryConversations();
std::vector<Group> libraryCallGroups();

// The first difference, if any.
::testing::AssertionResult sameRecords(const std::vector<Fields>& actual, const std::vector<Fields>& expected);
::testing::AssertionResult sameGroups(const std::vector<Group>& actual, const std::vector<Group>& expected);

// One store file's records as JSON texts of their objects, keyed by id.
std::map<long long, std::string> storeObjects(const std::filesystem::path& state, const char* category);
// A text field of a record of a store file; nullopt when absent.
std::optional<std::string> storeText(const std::string& objectJson, const char* key);
long long storeNumber(const std::string& objectJson, const char* key);

// Local time text of seconds since 1970, as the phone shows dates.
std::string localDate(long long seconds);

}  // namespace recordstest
