// Photos, videos and music: the app's media lists built from the store's
// registry, index records, existence checks, registering uploads, paths, deletes.
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <system_error>

#include "companion/companion_impl.h"
#include "companion/protocol.h"

namespace phonesim {

namespace fs = std::filesystem;

namespace {

// An index record must fit the 1024-byte buffer the client reads it into.
constexpr size_t kIndexRecordLimit = 1023;

int kindIndex(MediaKind kind) {
    return static_cast<int>(kind);
}

// The phone's spelling of a path below the shared storage root.
std::string devicePath(const std::string& relative) {
    return std::string(kExternalStoragePath) + "/" + relative;
}

// A file name that stays inside its folder.
bool isPlainName(const std::string& name) {
    return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

// Cuts text to at most maxBytes without splitting a UTF-8 sequence.
void cutUtf8(std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return;
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
}

// The texts of an index record that may be shortened, the rest as it is.
struct IndexTexts {
    std::string title, album, artist, displayName;
};

std::string indexRecord(const MediaItem& item, IndexTexts t, const struct stat& info) {
    for (;;) {
        RecordText text;
        text.hexNumber("ID", item.id);
        if (item.kind == MediaKind::Music) text.hexNumber("ALBUMID", item.albumId);
        text.hexItem("TILTE", t.title);
        if (item.kind == MediaKind::Music) {
            text.hexItem("ALBUM", t.album);
            text.hexItem("ARTIST", t.artist);
        }
        if (item.kind == MediaKind::Video) text.hexItem("DISPLAYNAME", t.displayName);
        text.hexItem("PATH", devicePath(item.path));
        if (item.kind != MediaKind::Photo) text.hexNumber("DURATION", item.duration);
        text.hexNumber("SIZE", static_cast<int64_t>(info.st_size));
        text.hexNumber("MODIFTIME", static_cast<int64_t>(info.st_mtime));
        text.hexNumber("CREATETIME", item.created);
        text.endRecord();
        if (text.text().size() <= kIndexRecordLimit) return text.text();
        // Too long: halve the longest shortenable text and try again.
        std::string* longest = &t.title;
        for (std::string* s : {&t.album, &t.artist, &t.displayName}) {
            if (s->size() > longest->size()) longest = s;
        }
        if (longest->empty()) return std::string();  // the path alone is too long
        cutUtf8(*longest, longest->size() / 2);
    }
}

}  // namespace

std::string uploadPath(MediaKind kind, const std::string& name) {
    return std::string(mediaCommandSet(kind).folder) + "/" + name;
}

std::optional<fs::path> Companion::Impl::sdcardFile(const std::string& relative) const {
    return paths.toHost(devicePath(relative));
}

std::vector<int64_t>& Companion::Impl::mediaList(MediaKind kind) {
    if (!mediaLists[kindIndex(kind)]) flushMedia(kind);
    return *mediaLists[kindIndex(kind)];
}

const MediaItem* Companion::Impl::findMedia(MediaKind kind, int64_t id) const {
    const std::vector<MediaItem>& media = store.media();
    auto it = std::lower_bound(media.begin(), media.end(), id,
                               [](const MediaItem& m, int64_t wanted) { return m.id < wanted; });
    return it != media.end() && it->id == id && it->kind == kind ? &*it : nullptr;
}

// The list is the registry's items of the kind whose file is still there; entries
// whose file is gone leave the registry.
std::string Companion::Impl::flushMedia(MediaKind kind) {
    std::vector<int64_t> gone;
    std::vector<int64_t>& list = mediaLists[kindIndex(kind)].emplace();
    for (const MediaItem& item : store.media()) {
        if (item.kind != kind) continue;
        std::optional<fs::path> host = sdcardFile(item.path);
        std::error_code ec;
        if (host && fs::is_regular_file(*host, ec)) list.push_back(item.id);
        else gone.push_back(item.id);
    }
    if (!gone.empty()) store.removeMedia(gone);
    return intBody(0);
}

std::string Companion::Impl::mediaCount(MediaKind kind) {
    return intBody(static_cast<int32_t>(mediaList(kind).size()));
}

std::string Companion::Impl::mediaIndex(MediaKind kind, const std::string& args) {
    const std::vector<int64_t>& list = mediaList(kind);
    std::optional<int64_t> index = parseDecimal(args);
    if (!index || *index < 0 || static_cast<uint64_t>(*index) >= list.size()) return std::string();
    const MediaItem* item = findMedia(kind, list[static_cast<size_t>(*index)]);
    if (!item) return std::string();  // deleted since the list was built
    std::optional<fs::path> host = sdcardFile(item->path);
    struct stat info {};
    if (!host || ::stat(host->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::string();
    return indexRecord(*item, {item->title, item->album, item->artist, fs::path(item->path).filename().string()},
                       info);
}

// Photos and videos: "<id>"; music: "<id>:<album id>".
std::string Companion::Impl::mediaThumbnail(MediaKind kind, const std::string& args) {
    std::optional<int64_t> id = parseDecimal(splitText(args, ':')[0]);
    const MediaItem* item = id ? findMedia(kind, *id) : nullptr;
    if (faults.noThumbnails || !item) {
        std::optional<fs::path> tmp = sdcardFile(uploadPath(kind, kThumbnailName));
        std::error_code ec;
        if (tmp) fs::remove(*tmp, ec);
        return intBody(1);
    }
    return intBody(writeThumbnail(*item) ? 0 : 1);
}

std::string Companion::Impl::deleteMedia(MediaKind kind, const std::string& args) {
    std::optional<int64_t> id = parseDecimal(args);
    const MediaItem* item = id ? findMedia(kind, *id) : nullptr;
    if (!item) return intBody(0);
    std::optional<fs::path> host = sdcardFile(item->path);
    std::error_code ec;
    if (host) fs::remove(*host, ec);
    if (ec) return intBody(0);
    return intBody(store.removeMedia({*id}) ? 1 : 0);
}

// The plain name is taken when anything of that name is in the upload folder.
// The thumbnail's name always counts as taken, so an upload never lands on it.
std::string Companion::Impl::mediaNameTaken(MediaKind kind, const std::string& args) {
    if (!isPlainName(args)) return intBody(0);
    if (args == kThumbnailName) return intBody(1);
    std::optional<fs::path> host = sdcardFile(uploadPath(kind, args));
    std::error_code ec;
    return intBody(host && fs::exists(fs::symlink_status(*host, ec)) ? 1 : 0);
}

// Makes the uploaded file <folder>/<name> part of the media (again: 1, same id).
std::string Companion::Impl::registerMedia(MediaKind kind, const std::string& args) {
    std::optional<std::string> name = hexDecode(args);
    if (!name || !isPlainName(*name) || *name == kThumbnailName) return intBody(0);
    std::string relative = uploadPath(kind, *name);
    std::optional<fs::path> host = sdcardFile(relative);
    std::error_code ec;
    if (!host || !fs::is_regular_file(*host, ec)) return intBody(0);
    for (const MediaItem& m : store.media()) {
        if (m.kind == kind && m.path == relative) return intBody(1);
    }
    MediaItem item;
    item.kind = kind;
    item.path = relative;
    size_t dot = name->rfind('.');
    item.title = dot == std::string::npos || dot == 0 ? *name : name->substr(0, dot);
    if (kind == MediaKind::Music) {
        item.artist = "<unknown>";
        item.album = mediaCommandSet(kind).folder;
    }
    item.created = static_cast<int64_t>(std::time(nullptr));
    return intBody(store.addMedia(std::move(item)) > 0 ? 1 : 0);
}

std::string Companion::Impl::mediaPath(MediaKind kind, const std::string& args) {
    std::optional<int64_t> id = parseDecimal(args);
    const MediaItem* item = id ? findMedia(kind, *id) : nullptr;
    return item ? devicePath(item->path) : std::string();
}

}  // namespace phonesim
