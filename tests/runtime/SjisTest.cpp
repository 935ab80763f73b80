#include <gtest/gtest.h>

#include "runtime/Sjis.h"

namespace vinta {
namespace {

TEST(Sjis, RoundTripsJapaneseText) {
    const std::string text = "名　　前 ﾀｽｸﾚﾍﾞﾙ 進捗 ABC \\ ~";
    auto sj = sjis::FromUtf8(text);
    ASSERT_TRUE(sj);
    EXPECT_EQ(sjis::ToUtf8(*sj), text);
    // Byte rules count Shift-JIS bytes: two per kanji, one per half-width kana.
    EXPECT_EQ(sjis::FromUtf8("名前")->size(), 4u);
    EXPECT_EQ(sjis::FromUtf8("ﾀｽｸ")->size(), 3u);
    EXPECT_EQ(*sjis::FromUtf8("　"), std::string("\x81\x40"));
}

// A character Shift-JIS cannot hold is refused and named, never replaced.
TEST(Sjis, RefusesWhatItCannotHold) {
    EXPECT_FALSE(sjis::FromUtf8("予定😀"));
    EXPECT_EQ(sjis::FirstUnencodable("予定😀です"), "😀");
    EXPECT_EQ(sjis::FirstUnencodable("予定です"), "");
    EXPECT_FALSE(sjis::FromUtf8("\xff\xfe"));
}

// Input methods produce the JIS forms of a few signs; they are kept as the
// code page 932 look-alikes instead of being refused.
TEST(Sjis, KeepsTheJisFormsInputMethodsProduce) {
    EXPECT_EQ(*sjis::FromUtf8("15:00\u301C"), std::string("15:00\x81\x60"));
    EXPECT_EQ(*sjis::FromUtf8("\u2212"), std::string("\x81\x7C"));
}

TEST(Sjis, BytesThatAreNotShiftJisShowAsReplacementCharacters) {
    EXPECT_EQ(sjis::ToUtf8("a\x81 b"), "a\xEF\xBF\xBD b");
    EXPECT_EQ(sjis::ToUtf8("\x82"), "\xEF\xBF\xBD");
    EXPECT_EQ(sjis::ToUtf8(std::string("\xa0", 1)), "\xEF\xBF\xBD");
}

TEST(Sjis, CharacterLengthFollowsLeadBytes) {
    std::string s = "\x96\xbc" "a\x81";
    const char* p = s.data();
    const char* end = p + s.size();
    EXPECT_EQ(sjis::CharLength(p, end), 2u);
    EXPECT_EQ(sjis::CharLength(p + 2, end), 1u);
    EXPECT_EQ(sjis::CharLength(p + 3, end), 1u) << "a lead byte at the end stands alone";
    EXPECT_FALSE(sjis::IsLeadByte(0xB1)) << "half-width katakana are single bytes";
}

}  // namespace
}  // namespace vinta
