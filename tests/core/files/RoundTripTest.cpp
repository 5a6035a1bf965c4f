#include "core/files/FileHarness.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <random>

namespace tinctara {
namespace {

using testing::FileHarness;
using testing::readBytes;

// Fills the largest show with values across each field's whole range.
void fillLargestShow(FileHarness& h)
{
    std::mt19937 random(1999);
    auto any = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    h.model.WallName = "Große Bühne";
    h.buildWall(11, 11);
    h.model.ElementWidth = 1234567;
    h.model.ElementHeight = -5;
    h.model.WallZoom = 150;
    for (auto& value : h.model.DmxTiming)
        value = static_cast<std::int16_t>(any(-32768, 32767));
    for (int element = 1; element <= 121; ++element) {
        for (int plane = Red; plane <= White; ++plane) {
            h.model.patch(element, plane) = static_cast<std::uint16_t>(any(1, 512));
            h.model.correction(element, plane) = static_cast<std::uint8_t>(any(0, 255));
            h.model.colour(plane, element) = static_cast<std::uint8_t>(any(0, 255));
        }
    }
    h.model.StepCount = MaxSequenceSteps;
    for (int step = 1; step <= MaxSequenceSteps; ++step) {
        for (int element = 1; element <= 121; ++element)
            for (int plane = Red; plane <= White; ++plane)
                h.model.stepColour(step, element, plane) = static_cast<std::uint8_t>(any(0, 255));
        h.model.holdTime(step) = static_cast<std::uint16_t>(any(0, 65535));
        h.model.blendTime(step) = static_cast<std::uint16_t>(any(0, 65535));
    }
    h.model.blendTime(1) = 65535;
    for (auto& mark : h.model.SelectionMemory)
        mark = static_cast<std::uint8_t>(any(0, 1));
    h.model.setState(StateFlag::SequencePresent);
    for (int colour = 1; colour <= UserColours; ++colour) {
        h.model.ColourNames[colour - 1] = fixedLength(colour % 2 ? "Weiß " + std::to_string(colour) : "x", 20);
        for (int plane = Red; plane <= White; ++plane)
            h.model.ColourLevels[ShowModel::userColourIndex(colour, plane)] = static_cast<std::uint8_t>(any(0, 255));
    }
    h.view.sequencerFields[1] = std::to_string(h.model.blendTime(1));
}

TEST(RoundTrip, EveryFormatSavedLoadedAndSavedAgainKeepsItsBytes)
{
    FileHarness first;
    fillLargestShow(first);
    const std::string config = first.path("A.CFG"), table = first.path("A.CCT"), scene = first.path("A.CSC"),
                      sequence = first.path("A.CSQ");
    ASSERT_EQ(first.saveConfiguration(config), SaveOutcome::Saved);
    ASSERT_EQ(first.saveColourTable(table), SaveOutcome::Saved);
    ASSERT_EQ(first.saveScene(scene), SaveOutcome::Saved);
    ASSERT_EQ(first.saveSequence(sequence), SaveOutcome::Saved);

    FileHarness second;
    ASSERT_EQ(second.loadConfiguration(config), LoadOutcome::Loaded);
    ASSERT_EQ(second.loadColourTable(table), LoadOutcome::Loaded);
    ASSERT_EQ(second.loadScene(scene), LoadOutcome::Loaded);
    ASSERT_EQ(second.saveScene(second.path("B.CSC")), SaveOutcome::Saved);
    ASSERT_EQ(second.loadSequence(sequence), LoadOutcome::Loaded);
    ASSERT_EQ(second.saveSequence(second.path("B.CSQ")), SaveOutcome::Saved);
    ASSERT_EQ(second.saveColourTable(second.path("B.CCT")), SaveOutcome::Saved);
    ASSERT_EQ(second.saveConfiguration(second.path("B.CFG")), SaveOutcome::Saved);
    // 254 steps are the most a file may hold; loading them always says so.
    ASSERT_EQ(second.user.messages.size(), 1u);
    EXPECT_NE(second.user.messages[0].text.find("Die Sequenzen werden auf 254 beschränkt."), std::string::npos);

    for (const char* extension : {".CFG", ".CCT", ".CSC", ".CSQ"}) {
        const std::string a = readBytes(first.path(std::string("A") + extension));
        const std::string b = readBytes(second.path(std::string("B") + extension));
        EXPECT_EQ(a.size(), b.size()) << extension;
        EXPECT_TRUE(a == b) << extension << " differs first at byte "
                            << std::distance(a.begin(), std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first);
    }
    EXPECT_EQ(second.model.holdTime(254), first.model.holdTime(254));
    EXPECT_EQ(second.model.DmxTiming, first.model.DmxTiming);
    EXPECT_EQ(second.model.WallName, "Große Bühne         ");
}

}  // namespace
}  // namespace tinctara
