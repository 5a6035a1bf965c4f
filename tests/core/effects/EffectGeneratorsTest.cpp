#include "effects/BitmapFont.h"
#include "effects/Effects.h"
#include "core/effects/TestWall.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::grid;

std::vector<Rgbw> lampsOf(const EffectResult& result, int step)
{
    return result.steps.at(static_cast<std::size_t>(step)).lamps;
}

constexpr Rgbw R{255, 0, 0, 0}, G{0, 255, 0, 0}, B{0, 0, 255, 0}, Off{0, 0, 0, 0};

TEST(RainbowEffect, ThreeLampsShowThirdsOfTheHueCircleAndTravel)
{
    EffectParameters p;
    p.kind = EffectKind::Rainbow;
    p.steps = 3;
    p.hold = 4;
    p.blend = 9;
    struct Case {
        EffectDirection direction;
        std::vector<Rgbw> step0, step1;
    };
    const Case cases[] = {
        {EffectDirection::Right, {R, G, B}, {B, R, G}},
        {EffectDirection::Left, {R, B, G}, {B, G, R}},
    };
    for (const Case& c : cases) {
        p.direction = c.direction;
        const EffectResult result = GenerateEffect(grid(3, 1), p);
        ASSERT_TRUE(result.ok()) << result.refusal;
        ASSERT_EQ(result.steps.size(), 3u);
        EXPECT_EQ(lampsOf(result, 0), c.step0);
        EXPECT_EQ(lampsOf(result, 1), c.step1);
        EXPECT_EQ(result.steps[2].hold, 4);
        EXPECT_EQ(result.steps[2].blend, 9);
    }
}

TEST(RainbowEffect, TwoColourGradientMixesTheStops)
{
    EffectParameters p;
    p.kind = EffectKind::Rainbow;
    p.steps = 1;
    p.colours = {{255, 0, 0, 0}, {0, 0, 255, 0}};
    // Positions 0, 1/3 and 2/3 of the closed ring red -> blue -> red.
    EXPECT_EQ(lampsOf(GenerateEffect(grid(3, 1), p), 0),
              (std::vector<Rgbw>{{255, 0, 0, 0}, {85, 0, 170, 0}, {85, 0, 170, 0}}));
    // Up and down use the rows; one column means one colour per row.
    p.direction = EffectDirection::Down;
    EXPECT_EQ(lampsOf(GenerateEffect(grid(1, 3), p), 0),
              (std::vector<Rgbw>{{255, 0, 0, 0}, {85, 0, 170, 0}, {85, 0, 170, 0}}));
}

TEST(PlasmaEffect, StaysOnThePaletteAndLoops)
{
    EffectParameters p;
    p.kind = EffectKind::Plasma;
    p.steps = 20;
    p.colours = {{10, 0, 0, 0}, {200, 0, 0, 0}};
    const EffectResult result = GenerateEffect(grid(11, 11), p);
    ASSERT_EQ(result.steps.size(), 20u);
    bool moves = false;
    for (const EffectStep& step : result.steps) {
        ASSERT_EQ(step.lamps.size(), 121u);
        for (const Rgbw& lamp : step.lamps) {
            ASSERT_GE(lamp.red, 10);
            ASSERT_LE(lamp.red, 200);
            ASSERT_EQ(lamp.green + lamp.blue + lamp.white, 0);
        }
        moves = moves || step.lamps != result.steps[0].lamps;
    }
    EXPECT_TRUE(moves);
    // One step more and the field is back where it began (a whole cycle).
    p.steps = 21;
    p.speed = 21.0 / 20.0;
    EXPECT_EQ(lampsOf(GenerateEffect(grid(11, 11), p), 20), lampsOf(result, 0));
}

TEST(ChaseEffect, HeadAndTailPositions)
{
    const Rgbw fg{255, 0, 0, 0}, bg{0, 0, 10, 0}, half{128, 0, 5, 0};
    struct Case {
        const char* name;
        int columns, rows;
        ChasePattern pattern;
        EffectDirection direction;
        int tail;
        int step;
        std::vector<Rgbw> expected;
    };
    const Case cases[] = {
        {"column right, step 0", 4, 1, ChasePattern::Column, EffectDirection::Right, 1, 0, {fg, bg, bg, half}},
        {"column right, step 1", 4, 1, ChasePattern::Column, EffectDirection::Right, 1, 1, {half, fg, bg, bg}},
        {"column right wraps", 4, 1, ChasePattern::Column, EffectDirection::Right, 1, 5, {half, fg, bg, bg}},
        {"column left", 4, 1, ChasePattern::Column, EffectDirection::Left, 1, 0, {half, bg, bg, fg}},
        {"row down on 2 x 2", 2, 2, ChasePattern::Row, EffectDirection::Down, 0, 1, {bg, bg, fg, fg}},
        {"row up on 2 x 2", 2, 2, ChasePattern::Row, EffectDirection::Up, 0, 0, {bg, bg, fg, fg}},
        // The snake runs along row 1 to the right and back along row 2.
        {"snake step 3", 3, 2, ChasePattern::Snake, EffectDirection::Right, 0, 3, {bg, bg, bg, bg, bg, fg}},
        {"snake step 5", 3, 2, ChasePattern::Snake, EffectDirection::Right, 0, 5, {bg, bg, bg, fg, bg, bg}},
        {"lamp in element order", 3, 2, ChasePattern::Lamp, EffectDirection::Right, 0, 3, {bg, bg, bg, fg, bg, bg}},
    };
    for (const Case& c : cases) {
        EffectParameters p;
        p.kind = EffectKind::Chase;
        p.chase = c.pattern;
        p.direction = c.direction;
        p.tail = c.tail;
        p.steps = 6;
        p.colours = {fg, bg};
        EXPECT_EQ(lampsOf(GenerateEffect(grid(c.columns, c.rows), p), c.step), c.expected) << c.name;
    }
}

TEST(TwinkleEffect, TheSameSeedGivesTheSameTwinkle)
{
    EffectParameters p;
    p.kind = EffectKind::Twinkle;
    p.steps = 40;
    p.density = 0.2;
    p.seed = 7;
    const EffectResult first = GenerateEffect(grid(11, 11), p);
    const EffectResult again = GenerateEffect(grid(11, 11), p);
    p.seed = 8;
    const EffectResult other = GenerateEffect(grid(11, 11), p);
    int lit = 0, flashes = 0;
    for (std::size_t s = 0; s < first.steps.size(); ++s) {
        ASSERT_EQ(first.steps[s].lamps, again.steps[s].lamps) << s;
        for (const Rgbw& lamp : first.steps[s].lamps) {
            lit += lamp != Off;
            flashes += lamp == Rgbw{255, 255, 255, 0};
        }
    }
    EXPECT_NE(first.steps[10].lamps, other.steps[10].lamps);
    // About a fifth of 40 x 121 lamps starts a flash; each fades over 4 steps.
    EXPECT_GT(flashes, 700);
    EXPECT_LT(flashes, 1250);
    EXPECT_GT(lit, flashes);
}

TEST(TwinkleEffect, DensityBounds)
{
    EffectParameters p;
    p.kind = EffectKind::Twinkle;
    p.steps = 3;
    p.colours = {{0, 0, 0, 200}, {1, 2, 3, 0}};
    p.density = 0;
    for (const EffectStep& step : GenerateEffect(grid(3, 3), p).steps)
        EXPECT_EQ(step.lamps, std::vector<Rgbw>(9, Rgbw{1, 2, 3, 0}));
    p.density = 1;
    for (const EffectStep& step : GenerateEffect(grid(3, 3), p).steps)
        EXPECT_EQ(step.lamps, std::vector<Rgbw>(9, Rgbw{0, 0, 0, 200}));
}

// The lit lamps of a step as a picture of '#' and '.', row by row.
std::vector<std::string> dots(const EffectResult& result, int step, int columns)
{
    std::vector<std::string> rows;
    const auto lamps = lampsOf(result, step);
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        if (i % columns == 0)
            rows.emplace_back();
        rows.back() += lamps[i] == Off ? '.' : '#';
    }
    return rows;
}

TEST(RunningTextEffect, TheLetterEntersFromTheRight)
{
    EffectParameters p;
    p.kind = EffectKind::Text;
    p.text = "I";
    p.steps = 12;
    const EffectResult result = GenerateEffect(grid(6, 7), p);
    ASSERT_TRUE(result.ok()) << result.refusal;
    EXPECT_EQ(dots(result, 0, 6), std::vector<std::string>(7, "......"));
    // After 8 columns of travel the I's stem stands in the first column.
    EXPECT_EQ(dots(result, 8, 6),
              (std::vector<std::string>{"##....", "#.....", "#.....", "#.....", "#.....", "#.....", "##...."}));
    EXPECT_EQ(dots(result, 7, 6),
              (std::vector<std::string>{"###...", ".#....", ".#....", ".#....", ".#....", ".#....", "###..."}));
}

TEST(RunningTextEffect, GermanLettersAreInTheFontAndOthersAreRefused)
{
    for (const std::uint32_t letter : {0xC4u, 0xD6u, 0xDCu, 0xE4u, 0xF6u, 0xFCu, 0xDFu, 0x41u, 0x7Au, 0x7Eu})
        EXPECT_TRUE(BitmapFont::glyph(letter).has_value()) << letter;
    EXPECT_FALSE(BitmapFont::glyph(0x20ACu).has_value());
    EXPECT_EQ(BitmapFont::codePoints("Aß\xE2\x82\xAC\xFF"), (std::vector<std::uint32_t>{0x41, 0xDF, 0x20AC, 0xFFFD}));

    EffectParameters p;
    p.kind = EffectKind::Text;
    p.steps = 5;
    p.text = "Grüße";
    EXPECT_TRUE(GenerateEffect(grid(11, 11), p).ok());
    p.text = "5 €";
    const EffectResult refused = GenerateEffect(grid(11, 11), p);
    EXPECT_EQ(refused.refusal, "Diese Zeichen kennt die Schrift des Lauftexts nicht (als Kästchen gezeigt): €");
    EXPECT_EQ(refused.steps.size(), 5u);  // for the preview, with a box
    p.text = "";
    EXPECT_EQ(GenerateEffect(grid(11, 11), p).refusal, "Bitte geben Sie einen Text ein.");
}

TEST(WhiteExtraction, TakesTheCommonPartIntoWhite)
{
    struct Case {
        Rgbw in, out;
    };
    const Case cases[] = {
        {{200, 150, 100, 0}, {100, 50, 0, 100}},
        {{255, 255, 255, 0}, {0, 0, 0, 255}},
        {{255, 255, 255, 200}, {0, 0, 0, 255}},
        {{0, 80, 255, 7}, {0, 80, 255, 7}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(extractWhite(c.in), c.out);

    EffectParameters p;
    p.kind = EffectKind::Rainbow;
    p.steps = 2;
    p.colours = {{200, 150, 100, 20}};
    p.extractWhite = true;
    for (const EffectStep& step : GenerateEffect(grid(2, 2), p).steps)
        EXPECT_EQ(step.lamps, std::vector<Rgbw>(4, Rgbw{100, 50, 0, 120}));
}

TEST(EffectLimits, StepsAreBoundedAndAnEmptyWallIsRefused)
{
    EffectParameters p;
    p.kind = EffectKind::Chase;
    p.steps = 400;
    bool truncated = false;
    EXPECT_EQ(GenerateEffect(grid(2, 2), p, MaxEffectSteps, &truncated).steps.size(), 250u);
    p.steps = 60;
    const EffectResult cut = GenerateEffect(grid(2, 2), p, 10, &truncated);
    EXPECT_EQ(cut.steps.size(), 10u);
    EXPECT_EQ(cut.sourceSteps, 60);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(GenerateEffect(grid(2, 2), p, 60, &truncated).steps.size(), 60u);
    EXPECT_FALSE(truncated);

    for (EffectKind kind : {EffectKind::Rainbow, EffectKind::Plasma, EffectKind::Chase, EffectKind::Twinkle,
                            EffectKind::Text, EffectKind::Picture, EffectKind::Animation}) {
        p.kind = kind;
        p.text = "A";
        const EffectResult result = GenerateEffect(EffectWall{}, p);
        EXPECT_EQ(result.refusal, "Es ist kein Element auf der Wand vorhanden.");
        EXPECT_TRUE(result.steps.empty());
    }
}

}  // namespace
}  // namespace tinctara
