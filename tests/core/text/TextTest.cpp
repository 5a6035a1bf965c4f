#include "text/Text.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

TEST(NumberForm, BlankBeforeNonNegativeMinusBeforeNegative)
{
    EXPECT_EQ(numberForm(0), " 0");
    EXPECT_EQ(numberForm(484), " 484");
    EXPECT_EQ(numberForm(-3), "-3");
}

TEST(NumericValue, ReadsLikeTheProgramsFields)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"", 0},        {"  42", 42}, {"-7", -7},     {"12abc", 12}, {"abc", 0},     {"1 2", 12},
        {"3.75", 3.75}, {"&H1F", 31}, {"&h120", 288}, {"+5", 5},     {"1.2.3", 1.2},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(numericValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(11.5), 12);
    EXPECT_EQ(roundHalfEven(126.5), 126);
    EXPECT_EQ(roundHalfEven(127.5), 128);
    EXPECT_EQ(roundHalfEven(-0.0039), 0);
    EXPECT_EQ(roundHalfEven(1.887), 2);
}

TEST(FixedLength, CountsCharactersNotBytes)
{
    EXPECT_EQ(fixedLength("Farbe1", 8), "Farbe1  ");
    EXPECT_EQ(fixedLength("Wandname zu lang fuer das Feld", 20), "Wandname zu lang fue");
    EXPECT_EQ(fixedLength("Grün", 6), "Grün  ");
    EXPECT_EQ(fixedLength("Größe", 3), "Grö");
}

TEST(HexUpper, NoLeadingZeros)
{
    EXPECT_EQ(hexUpper(0x120), "120");
    EXPECT_EQ(hexUpper(0xAB), "AB");
}

TEST(Counted, SingularOnlyForOne)
{
    EXPECT_EQ(counted(0, "Schritt", "Schritte"), "0 Schritte");
    EXPECT_EQ(counted(1, "Schritt", "Schritte"), "1 Schritt");
    EXPECT_EQ(counted(2, "Schritt", "Schritte"), "2 Schritte");
    EXPECT_EQ(counted(11, "Bild", "Bildern"), "11 Bildern");
}

}  // namespace
}  // namespace tinctara
