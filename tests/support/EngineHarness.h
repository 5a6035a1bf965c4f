#pragma once

#include "engine/OutputEngine.h"
#include "model/ShowModel.h"
#include "model/WallBuilder.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tinctara::testing {

// A show initialised as at start-up with an engine over recording fakes.
struct EngineHarness {
private:
    std::unique_ptr<ShowModel> modelStorage = std::make_unique<ShowModel>();  // first: model refers to it

public:
    EngineHarness()
    {
        initialiseAtStartUp(model);
        model.OsName = "Linux";
    }

    // Builds a wall of columns x rows through the wall builder (default patch).
    void buildWall(int columns, int rows)
    {
        model.WallColumns = static_cast<std::uint8_t>(columns);
        model.WallRows = static_cast<std::uint8_t>(rows);
        model.ElementWidth = 600;
        model.ElementHeight = 1200;
        BuildWall(model, view, user, WallBuildKind::NewOrEdited);
    }

    void setElement(int element, int r, int g, int b, int w)
    {
        const int levels[] = {r, g, b, w};
        for (int plane = Red; plane <= White; ++plane)
            model.colour(plane, element) = static_cast<std::uint8_t>(levels[plane - 1]);
    }

    void setStep(int step, int element, int r, int g, int b, int w, int hold, int blend)
    {
        const int levels[] = {r, g, b, w};
        for (int plane = Red; plane <= White; ++plane)
            model.stepColour(step, element, plane) = static_cast<std::uint8_t>(levels[plane - 1]);
        model.holdTime(step) = static_cast<std::uint16_t>(hold);
        model.blendTime(step) = static_cast<std::uint16_t>(blend);
    }

    // What the play command does to the engine's state.
    void play(int fromStep = 1)
    {
        model.CurrentStep = static_cast<std::uint8_t>(fromStep);
        model.HoldCounter = 0;
        model.BlendCounter = 0;
        model.setState(StateFlag::SequencePlaying | StateFlag::SequencePresent);
    }

    // The numbers of the selected elements, ascending.
    std::vector<int> selected() const
    {
        std::vector<int> numbers;
        for (int i = 0; i < ElementSlots; ++i)
            if (model.SelectionFlags[i])
                numbers.push_back(i + 1);
        return numbers;
    }

    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            engine.AutoXmit();
    }

    // What leaves on a channel, from wherever the kind keeps its frame.
    int wire(int channel) const
    {
        switch (portFor(model.InterfaceType).shape()) {
        case FrameShape::CardMemory:
            return bus.cardMemory[0x3FFu + static_cast<unsigned>(channel)];
        case FrameShape::Bytes:
            return model.DmxFrame[static_cast<std::size_t>(channel - 1)];
        case FrameShape::Wide:
            return static_cast<int>(model.DmxFrameWide[static_cast<std::size_t>(channel - 1)]);
        case FrameShape::None:
            break;
        }
        return -1;
    }

    std::vector<int> wire(int first, int count) const
    {
        std::vector<int> levels;
        for (int channel = first; channel < first + count; ++channel)
            levels.push_back(wire(channel));
        return levels;
    }

    ShowModel& model = *modelStorage;
    RecordingView view;
    ScriptedUser user;
    FakeTimer timer;
    RecordingPortBus bus{0x120};
    RecordingUsbLibrary usb;
    RecordingCardLibrary cardLibrary;
    OutputEngine engine{model, view, timer, OutputDevices{bus, usb, cardLibrary}};
};

// Compares channel levels and names the first channel that differs.
template <typename Frame>
::testing::AssertionResult channelsEqual(const Frame& frame, int firstChannel, const std::vector<int>& expected)
{
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int channel = firstChannel + static_cast<int>(i);
        const int actual = static_cast<int>(frame[channel - 1]);
        if (actual != expected[i])
            return ::testing::AssertionFailure()
                   << "channel " << channel << " is " << actual << ", expected " << expected[i];
    }
    return ::testing::AssertionSuccess();
}

}  // namespace tinctara::testing
