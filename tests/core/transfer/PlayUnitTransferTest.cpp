#include "support/EngineHarness.h"
#include "transfer/PlayUnitTransfer.h"
#include "support/StepFrames.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using namespace tinctara::testing;

// A show with a 2 x 1 wall, a 7301B at 0x120 and a sequence of three steps.
struct TransferBench {
    TransferBench()
    {
        show.buildWall(2, 1);
        show.setStep(1, 1, 10, 20, 30, 40, 20, 300);
        show.setStep(2, 2, 1, 2, 3, 4, 5, 6);
        show.setStep(3, 1, 200, 0, 0, 9, 7, 8);
        show.model.StepCount = 3;
        for (int k = 4; k <= StepSlots; ++k) {
            show.model.holdTime(k) = static_cast<std::uint16_t>(k);
            show.model.blendTime(k) = static_cast<std::uint16_t>(1000 + k);
        }
        show.model.InterfaceType = Interface::IsaCard7301AB;
        show.model.CardBaseAddress = 0x120;
        const std::int16_t timing[16] = {60, 0, 30, 228, 1, 0, 10, 300, 0, 0, 300, 5, 5, 5, 5, 5};
        std::copy(std::begin(timing), std::end(timing), show.model.DmxTiming.begin());
        show.model.setState(StateFlag::SequencerWindowOpen);
    }

    std::vector<std::uint8_t> card(int from, int count) const
    {
        return {show.bus.cardMemory.begin() + from, show.bus.cardMemory.begin() + from + count};
    }

    EngineHarness show;
    FakeTimer transferTimer;
    PlayUnitTransfer transfer{{show.model, show.view, show.user, show.timer, transferTimer, show.bus}};
};

using testing::frameOf;

TEST(PlayUnitTransfer, RefusedWithoutACardOrWhilePlaying)
{
    for (const bool playing : {false, true}) {
        TransferBench b;
        if (playing)
            b.show.model.setState(StateFlag::SequencePlaying);
        else
            b.show.model.CardBaseAddress = 0;
        const auto timing = b.show.model.DmxTiming;
        b.transfer.mnuSequenceToMerger();
        ASSERT_EQ(b.show.user.messages.size(), 1u);
        EXPECT_EQ(b.show.user.messages[0].text,
                  playing
                      ? "Während eine Sequenz abgespielt wird, kann nicht gesendet werden!"
                      : "Bitte installieren Sie eine DMX-Interfacekarte 7301B\rOhne Karte kann nicht gesendet werden.");
        EXPECT_FALSE(b.transferTimer.enabled);
        EXPECT_FALSE(b.transfer.transferring());
        EXPECT_EQ(b.show.model.DmxTiming, timing);
        EXPECT_TRUE(b.show.bus.accesses.empty());
    }
}

TEST(PlayUnitTransfer, ThreeStepsIn255Ticks)
{
    TransferBench b;
    b.show.model.correction(1, Red) = 20;  // 10 - 20 is sent as 0
    b.transfer.mnuSequenceToMerger();
    EXPECT_TRUE(b.transferTimer.enabled);
    EXPECT_FALSE(b.show.timer.enabled);
    EXPECT_EQ(b.show.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....stopped: transferring Sequence to PlayUnit");
    EXPECT_EQ(b.show.view.childWindowCalls.back(), std::make_pair(ChildWindow::Sequencer, false));
    b.transfer.mnuSequenceToMerger();  // a second start changes nothing
    EXPECT_EQ(b.transfer.step(), 1);

    for (int k = 1; k <= PlayUnitTransfer::Ticks; ++k) {
        b.show.bus.accesses.clear();
        b.transfer.timSendToMerger_Timer();
        // Halted first, started last; the output timer stays off in between.
        ASSERT_EQ(b.show.bus.accesses.front(), (RecordingPortBus::Access{true, 0x120, 0})) << k;
        ASSERT_EQ(b.show.bus.accesses.back(), (RecordingPortBus::Access{false, 0x123, 0})) << k;
        EXPECT_EQ(b.card(0x3F0, 16), (std::vector<std::uint8_t>{60, static_cast<std::uint8_t>(k), 30, 0, 1, 0, 0, 0, 0,
                                                                0, 0, 0, 0, 0, 0, 0}))
            << k;
        const auto frame = b.card(0x400, 512);
        if (k == 1)
            EXPECT_EQ(frame, frameOf({0, 20, 30, 40}, 300, 20, 128));
        else if (k == 2)
            EXPECT_EQ(frame, frameOf({0, 0, 0, 0, 1, 2, 3, 4}, 6, 5, 128));
        else if (k == 3)
            EXPECT_EQ(frame, frameOf({180, 0, 0, 9}, 8, 7, 128));
        else if (k == 4)
            EXPECT_EQ(frame, frameOf({0, 20, 30, 40}, 1004, 4, 0));
        else
            ASSERT_EQ(frame, frameOf({}, 1000 + k, k, 0)) << k;
        const std::string label = k <= 3   ? "Schreibe Scene (Lichtbild) Nr.: " + std::to_string(k - 1)
                                  : k == 4 ? "Schreibe letzte Scene (Lichtbild) "
                                           : "Fülle Lichtbild  mit Null auf  " + std::to_string(k - 1);
        if (k < PlayUnitTransfer::Ticks) {
            EXPECT_EQ(b.show.view.lastLabel(), label) << k;
            ASSERT_FALSE(b.show.timer.enabled) << k;
        }
    }

    EXPECT_FALSE(b.transfer.transferring());
    EXPECT_FALSE(b.transferTimer.enabled);
    EXPECT_TRUE(b.show.timer.enabled);
    const std::array<std::int16_t, 16> restored{60, 0, 30, 228, 1, 0, 10, 44, 0, 0, 44, 0, 0, 0, 0, 0};
    EXPECT_EQ(b.show.model.DmxTiming, restored);
    EXPECT_EQ(b.show.model.TimingBlockPending, 1);
    EXPECT_EQ(b.show.view.lastLabel(), "Fertig mit Senden.");
    EXPECT_EQ(b.show.view.childWindowCalls.back(), std::make_pair(ChildWindow::Sequencer, true));
    b.transfer.timSendToMerger_Timer();  // a late tick sends nothing
    EXPECT_EQ(b.show.model.DmxTiming, restored);
}

}  // namespace
}  // namespace tinctara
