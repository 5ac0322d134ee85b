// The deterministic sample phones: a state folder filled with contacts,
// messages, calls and media files.
#pragma once

#include <filesystem>
#include <string>

namespace phonesim {

// size is "small" or "large". The state folder is created if needed; content
// already in it is replaced. Returns false with a reason on failure.
bool generateDataset(const std::filesystem::path& stateDir, const std::string& size, std::string& error);

}  // namespace phonesim
