#include "control/ShowControl.h"

#include "support/ControlHarness.h"

#include <gtest/gtest.h>

#include <vector>

namespace tinctara {
namespace {

using testing::ControlHarness;
constexpr int F1 = ControlHarness::F1;

TEST(ShowControl, AMemoryRecallsAsItsFunctionKey)
{
    for (int number = 1; number <= SelectionMemories; ++number) {
        ControlHarness byKey;
        byKey.wall.Form_KeyDown(F1 + number, false);
        ControlHarness h;
        const auto memories = h.model.SelectionMemory;
        const ShowReply reply = h.memory(number);
        EXPECT_TRUE(reply.done) << number;
        EXPECT_EQ(h.selected(), (std::vector<int>{number, number + 2})) << number;
        EXPECT_EQ(h.selected(), byKey.selected()) << number;
        EXPECT_EQ(reply.status, byKey.wallStatus()) << number;
        EXPECT_EQ(h.model.SelectionCount, 2) << number;
        // A recall stores nothing and changes no document.
        EXPECT_EQ(h.model.SelectionMemory, memories) << number;
        EXPECT_FALSE(h.model.hasDocument(DocumentFlag::SequenceChanged | DocumentFlag::SceneChanged)) << number;
    }
    // The function keys reach the wall window while a sequence plays, and so does the recall.
    ControlHarness h;
    h.play();
    EXPECT_TRUE(h.memory(4).done);
    EXPECT_EQ(h.selected(), (std::vector<int>{4, 6}));
}

TEST(ShowControl, ValuesOutOfRangeAreRefusedWithoutEffect)
{
    using Kind = ShowAction::Kind;
    const ShowAction refused[] = {
        {Kind::Memory, 0, {}, {}},     {Kind::Memory, 12, {}, {}},
        {Kind::Memory, -1, {}, {}},    {Kind::Tap, 0, {}, {}},
        {Kind::Tap, 17, {}, {}},       {Kind::User, 0, {}, {}},
        {Kind::User, 21, {}, {}},      {Kind::Jump, 0, {}, ""},
        {Kind::Jump, 0, {}, "123456"}, {static_cast<Kind>(99), 1, {}, {}},
    };
    ControlHarness h;
    const auto selection = h.model.SelectionFlags;
    const auto colours = h.model.ElementColours;
    const std::size_t labels = h.view.labels.size();
    for (const ShowAction& action : refused) {
        const ShowReply reply = h.control.perform(action);
        EXPECT_FALSE(reply.done) << static_cast<int>(action.kind) << " " << action.number;
        EXPECT_EQ(reply.status, ShowText::Unknown) << static_cast<int>(action.kind) << " " << action.number;
    }
    EXPECT_EQ(h.model.SelectionFlags, selection);
    EXPECT_EQ(h.model.ElementColours, colours);
    EXPECT_EQ(h.view.labels.size(), labels);
}

TEST(ShowControl, TapTempoTapsTheEnginesTempoWhilePlayingToo)
{
    ControlHarness h;
    h.play();
    const ShowAction tap{ShowAction::Kind::TapTempo, 0, {}, {}};
    for (const std::int64_t at : {1000, 1600, 2200}) {
        h.nowMs = at;
        EXPECT_TRUE(h.control.perform(tap).done) << at;
    }
    EXPECT_DOUBLE_EQ(h.engine.music().tapPeriodTicks(), 12);
    EXPECT_EQ(h.selected(), std::vector<int>{16}) << "a tap of the tempo is no tap on the wall";

    struct : ShowControlHost {
        bool questionOpen() const override { return false; }
        std::string applyColour(const std::array<std::uint8_t, Planes>&) override { return {}; }
        std::string wallStatus() const override { return {}; }
        std::string sequencerStatus() const override { return {}; }
    } withoutMusic;
    ShowControl control{{h.model, h.selection, h.windows, withoutMusic}};
    const ShowReply reply = control.perform(tap);
    EXPECT_FALSE(reply.done);
    EXPECT_EQ(reply.status, ShowText::Unknown);
}

TEST(ShowControl, AnOpenQuestionRefusesEveryKind)
{
    using Kind = ShowAction::Kind;
    ControlHarness h;
    h.question = true;
    const auto selection = h.model.SelectionFlags;
    const auto colours = h.model.ElementColours;
    const std::size_t status = h.view.wallStatus.size();
    for (int kind = 0; kind <= static_cast<int>(Kind::TapTempo); ++kind) {
        const ShowReply reply = h.control.perform({static_cast<Kind>(kind), 1, {9, 9, 9, 9}, "1"});
        EXPECT_FALSE(reply.done) << kind;
        EXPECT_EQ(reply.status, "Eine Frage wartet am Rechner.") << kind;
    }
    EXPECT_EQ(h.model.SelectionFlags, selection);
    EXPECT_EQ(h.model.ElementColours, colours);
    EXPECT_EQ(h.view.wallStatus.size(), status);
    EXPECT_FALSE(h.model.hasState(StateFlag::SequencePlaying));
    ASSERT_TRUE(h.control.refusedNow());
    h.question = false;
    EXPECT_FALSE(h.control.refusedNow());
    EXPECT_TRUE(h.memory(2).done);
}

}  // namespace
}  // namespace tinctara
