// The phone's pieces that the real adb cannot steer: how an apk's marker is
// found when it arrives split, and how the shell reads awkward command lines.
#include <gtest/gtest.h>

#include "adb/shell_words.h"
#include "phone.h"

namespace {

using phonesim::ApkCheck;
using phonesim::adb::singleQuote;
using phonesim::adb::splitShellWords;

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

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    EXPECT_TRUE(splitShellWords(line, out)) << line;
    return out;
}

TEST(ShellWords, QuotesEscapesAndRedirections) {
    using W = std::vector<std::string>;
    EXPECT_EQ(words("  getprop   ro.x  "), (W{"getprop", "ro.x"}));
    EXPECT_EQ(words("rm '/sdcard/a b' </dev/null"), (W{"rm", "/sdcard/a b"}));
    EXPECT_EQ(words("echo \"a \\\"b\\\" $c\" 'd\\e' f\\ g"), (W{"echo", "a \"b\" $c", "d\\e", "f g"}));
    EXPECT_EQ(words("cmd 2>&1 > /dev/null x>>log y"), (W{"cmd", "x", "y"}));
    EXPECT_EQ(words("echo '' \"\" 2"), (W{"echo", "", "", "2"}));
    EXPECT_EQ(words("echo '2'>out"), (W{"echo", "2"}));  // a quoted 2 is a word, not a descriptor
    std::vector<std::string> out;
    EXPECT_FALSE(splitShellWords("echo 'open", out));
    EXPECT_FALSE(splitShellWords("echo \"open", out));
    for (const std::string& odd : {std::string("it's"), std::string("'\"'"), std::string("a\\b c"), std::string()}) {
        EXPECT_EQ(words("x " + singleQuote(odd)), (W{"x", odd})) << odd;
    }
}

}  // namespace
