// The phone tells the companion's package from another however its bytes arrive cut
// (the real package is too small to be cut in the end-to-end tests).
#include <gtest/gtest.h>

#include "phone.h"

namespace {

using phonesim::ApkCheck;

TEST(ApkCheck, FindsTheMarkerWhereverTheBytesAreCut) {
    const std::string apk = std::string(5000, 'z') + "<manifest package=\"com.quenlo.mobrelphone\">" + std::string(300, 'y');
    for (size_t piece : {1u, 7u, 4096u}) {
        ApkCheck check;
        for (size_t at = 0; at < apk.size(); at += piece) check.feed(std::string_view(apk).substr(at, piece));
        EXPECT_TRUE(check.isCompanion()) << piece;
        EXPECT_EQ(check.size(), apk.size()) << piece;
    }
    ApkCheck other;
    other.feed("package=\"com.quenlo.mobrelphone2\"");  // another package whose name starts alike
    other.feed("package=\"com.quenlo.mobrelphon");
    other.feed("e_x\"");
    EXPECT_FALSE(other.isCompanion());
    EXPECT_FALSE(ApkCheck().isCompanion());
}

}  // namespace
