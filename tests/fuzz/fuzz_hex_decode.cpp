// Hex decoding of any text: the designed length rule, the 1024-byte limit, and encoding read back.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "hex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string bytes = mobrel::hexDecode(text);
    if (bytes.size() != std::min((size + 1) / 2, mobrel::kHexByteLimit)) std::abort();

    const std::string_view raw = text.substr(0, mobrel::kHexDigitLimit / 2);
    const std::string encoded = mobrel::hexEncode(raw);
    if (encoded.size() != 2 * raw.size() || mobrel::hexDecode(encoded) != raw) std::abort();
    if (encoded.find_first_not_of("0123456789ABCDEF") != std::string::npos) std::abort();
    return 0;
}
