// "GetandroidTempinfo;" and "getappcount;": what the phone says about itself.
#include <system_error>

#include "companion/companion_impl.h"
#include "companion/protocol.h"

namespace phonesim {

namespace {

// Memory and storage of the two kinds of phone, in bytes. The shared storage's
// free space shrinks by what the phone's files take.
struct Hardware {
    int64_t memTotal, memAvail, phoneTotal, phoneAvail, sdTotal;
    int apps;
};

const Hardware kModernHardware{3917438976LL, 1642323968LL, 53687091200LL, 31138512896LL, 53687091200LL, 63};
const Hardware kLegacyHardware{1010532352LL, 402653184LL, 1073741824LL, 612368384LL, 7818182656LL, 41};

const Hardware& hardware(const Profile& profile) {
    return profile.name == "legacy" ? kLegacyHardware : kModernHardware;
}

int64_t bytesUsed(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::error_code ec;
    int64_t used = 0;
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError)) {
            uintmax_t size = it->file_size(sizeError);
            if (!sizeError) used += static_cast<int64_t>(size);
        }
    }
    return used;
}

}  // namespace

std::string Companion::Impl::deviceFacts() {
    const Hardware& hw = hardware(profile);
    std::string brand = profile.property("ro.product.brand");
    if (brand.empty()) brand = profile.property("ro.product.manufacturer");
    int64_t sdAvail = std::max<int64_t>(0, hw.sdTotal - bytesUsed(paths.sdcard()));

    RecordText text;
    text.hexItem("BRAND", brand);
    text.hexItem("MODEL", profile.property("ro.product.model"));
    text.hexItem("ANDROIDVERSION", profile.property("ro.build.version.release"));
    text.hexItem("SERIAL", profile.property("ro.serialno"));
    // The sizes go as plain decimal digits, not hex.
    text.plainItem("MEMTOTAL", std::to_string(hw.memTotal));
    text.plainItem("MEMAVAIL", std::to_string(hw.memAvail));
    text.plainItem("SDTOTAL", std::to_string(hw.sdTotal));
    text.plainItem("SDAVAIL", std::to_string(sdAvail));
    text.plainItem("PHONETOTAL", std::to_string(hw.phoneTotal));
    text.plainItem("PHONEAVAIL", std::to_string(hw.phoneAvail));
    text.endRecord();
    return text.text();
}

std::string Companion::Impl::appCount() {
    return intBody(hardware(profile).apps);
}

}  // namespace phonesim
