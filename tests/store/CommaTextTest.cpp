#include <gtest/gtest.h>

#include "runtime/Sjis.h"
#include "store/CommaText.h"

namespace vinta {
namespace {

std::string Write(const std::vector<std::string>& cells) {
    std::string out;
    AppendCommaText(out, cells);
    return out;
}

std::vector<std::string> Read(std::string_view text, int cols = 15) {
    std::vector<std::string> cells;
    ParseCommaText(text, cells, cols);
    cells.resize(static_cast<size_t>(cols));
    return cells;
}

// Quoting: blanks, controls, quotes and commas force quotes, looked at by
// characters so that double-byte characters never do.
TEST(CommaText, Writing) {
    EXPECT_EQ(Write({""}), "\"\"");
    EXPECT_EQ(Write({"", ""}), ",");
    EXPECT_EQ(Write({"1", "", "a b"}), "1,,\"a b\"");
    EXPECT_EQ(Write({"say \"hi\"", "x,y"}), "\"say \"\"hi\"\"\",\"x,y\"");
    EXPECT_EQ(Write({"line\r\n"}), "\"line\r\n\"");
    EXPECT_EQ(Write({sjis::Lit("名　前")}), sjis::Lit("名　前")) << "a full-width space is no blank";
    // 0x5C and 0x7C as second bytes of double-byte characters.
    EXPECT_EQ(Write({sjis::Lit("表示|ソ")}), sjis::Lit("表示|ソ"));
    EXPECT_EQ(Write({" "}), "\" \"");
}

TEST(CommaText, Reading) {
    EXPECT_EQ(Read("1,,a", 3), (std::vector<std::string>{"1", " ", "a"}));
    EXPECT_EQ(Read("1,", 3), (std::vector<std::string>{"1", " ", ""})) << "a comma at the end adds a field";
    EXPECT_EQ(Read("\"\"", 1), (std::vector<std::string>{" "}));
    EXPECT_EQ(Read("  a , b ", 3), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(Read("a b", 3), (std::vector<std::string>{"a", "b", ""})) << "an unquoted blank ends a field";
    EXPECT_EQ(Read("\"x \"\"y\"\"\",z", 2), (std::vector<std::string>{"x \"y\"", "z"}));
    EXPECT_EQ(Read("a,b,c,d", 2), (std::vector<std::string>{"a", "b"})) << "extra fields are dropped";
    EXPECT_EQ(Read("\"open", 2), (std::vector<std::string>{"open", ""})) << "an unclosed quote runs to the end";
    EXPECT_EQ(Read(std::string("a,b\0,c", 6), 3), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(Read("", 2), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(Read("a,  ", 2), (std::vector<std::string>{"a", ""}));
}

TEST(CommaText, EveryCellComesBackOrAsASpaceWhenEmpty) {
    std::vector<std::string> cells = {"1", "", sjis::Lit("名　　前"), " lead", "trail ", "\"", ",",
                                      "a\r\nb\r\n", sjis::Lit("ﾀｽｸ,表"), "\t", "", "x\"\"y", "", "", ""};
    std::vector<std::string> back = Read(Write(cells));
    for (size_t i = 0; i < cells.size(); ++i)
        EXPECT_EQ(back[i], cells[i].empty() ? " " : cells[i]) << "cell " << i;
    EXPECT_EQ(Write(back), Write(Read(Write(back)))) << "stable after the first load";
}

}  // namespace
}  // namespace vinta
