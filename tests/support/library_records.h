// Contacts, messages and the call log as phonesim's store files say they are
// (read apart from phonesim's code, with the phone's rules for names, drafts and
// types) and as the library's lists hold them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "mobrelclient.h"

namespace mobreltest {

using Fields = std::map<std::string, std::optional<std::string>>;  // field name to text, nullopt for null

// A conversation (key: thread id) or a call group (key: number) with its records.
struct Group {
    std::string key;
    std::vector<Fields> records;
};
size_t recordsIn(const std::vector<Group>& groups);

// The store's records in the library's order; limit: only the first records the
// phone pages out (what a flush failing midway has seen).
std::vector<Fields> storeContacts(const std::filesystem::path& storeFolder, size_t limit = SIZE_MAX);
std::vector<Group> storeConversations(const std::filesystem::path& storeFolder, size_t limit = SIZE_MAX);
std::vector<Group> storeCallGroups(const std::filesystem::path& storeFolder, size_t limit = SIZE_MAX);

// The library's lists as the getters hand them out.
std::vector<Fields> libraryContacts();
std::vector<Group> libraryConversations();
std::vector<Group> libraryCallGroups();

// The first difference, if any.
::testing::AssertionResult sameRecords(const std::vector<Fields>& actual, const std::vector<Fields>& expected);
::testing::AssertionResult sameGroups(const std::vector<Group>& actual, const std::vector<Group>& expected);

std::string localDate(long long seconds);  // as the phone shows dates: local "yyyy-MM-dd HH:mm:ss"

}  // namespace mobreltest
