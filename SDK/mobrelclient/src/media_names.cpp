// Names of uploads and paths of exports. Both come from outside (the user, a
// backup folder, the phone) and end up in adb argument texts and in service
// commands, so they are checked here rather than cut.
#include <string>

#include "media.h"

namespace mobrel {
namespace {

// The longest file name the phone's file systems take.
constexpr size_t kFileNameLimit = 255;

bool hasControlCharacter(const std::string& text) {
    for (const char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) return true;
    }
    return false;
}

// A "." or ".." component.
bool hasDotComponent(const std::string& path) {
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string component = path.substr(start, end - start);
        if (component == "." || component == "..") return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

bool isPlainDeviceFileName(const std::string& name) {
    // ";" would end the existence check's command early and start another one.
    return !name.empty() && name.size() <= kFileNameLimit && name != "." && name != ".." &&
           name.find_first_of("/\\;") == std::string::npos && !hasControlCharacter(name);
}

std::string numberedName(const std::string& name, int n) {
    const std::string number = "(" + std::to_string(n) + ")";
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name + number;
    return name.substr(0, dot) + number + name.substr(dot);
}

bool isPlainPhonePath(const std::string& path) {
    return !path.empty() && path[0] == '/' && !hasDotComponent(path) && !hasControlCharacter(path);
}

std::string sdcardPathOf(const std::string& externalStoragePath, const std::string& phonePath) {
    std::string storage = externalStoragePath;
    while (storage.size() > 1 && storage.back() == '/') storage.pop_back();
    if (!isPlainPhonePath(storage) || !isPlainPhonePath(phonePath)) return "";
    if (phonePath.compare(0, storage.size(), storage) != 0) return "";
    const std::string rest = phonePath.substr(storage.size());
    // The rest must name a file below the storage: "/x", never "" or "/" (the
    // whole storage would be pulled) nor the tail of a longer folder name ("0b/x").
    if (rest.size() < 2 || rest[0] != '/' || rest.back() == '/') return "";
    return "/sdcard" + rest;
}

}  // namespace mobrel
