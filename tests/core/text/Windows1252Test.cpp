#include "text/Windows1252.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

TEST(Windows1252, UmlautsAreSingleBytesInFiles)
{
    EXPECT_EQ(utf8ToWindows1252("Größe Kanäle über"), "Gr\xF6\xDF"
                                                      "e Kan\xE4le \xFC"
                                                      "ber");
    EXPECT_EQ(windows1252ToUtf8("Gr\xF6\xDF"
                                "e"),
              "Größe");
    EXPECT_EQ(windows1252ToUtf8("\x80 \x96"), "€ –");
    EXPECT_EQ(utf8ToWindows1252("€ –"), "\x80 \x96");
}

TEST(Windows1252, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(utf8ToWindows1252(windows1252ToUtf8(all)), all);
}

TEST(Windows1252, UnrepresentableAndMalformedTextBecomesQuestionMarks)
{
    EXPECT_EQ(utf8ToWindows1252("a\xE2\x98\x83z"), "a?z");  // a snowman
    EXPECT_EQ(utf8ToWindows1252("a\xC3"), "a?");            // cut sequence
    EXPECT_EQ(utf8ToWindows1252("\xFF\xC3(x"), "?"
                                               "?(x");
}

}  // namespace
}  // namespace tinctara
