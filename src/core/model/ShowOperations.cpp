#include "model/ShowOperations.h"

#include "model/StatusTexts.h"

#include <algorithm>

namespace tinctara {

namespace {

std::uint8_t addWhite(std::uint8_t primary, std::uint8_t white)
{
    return static_cast<std::uint8_t>(std::min(255, primary + white));
}

void setChildWindowsEnabled(const ShowModel& model, ShowView& view, bool enabled)
{
    struct OpenBit {
        std::uint32_t flag;
        ChildWindow window;
    };
    static constexpr OpenBit windows[] = {
        {StateFlag::PatchWindowOpen, ChildWindow::Patch},
        {StateFlag::ColourWindowOpen, ChildWindow::Colour},
        {StateFlag::SequencerWindowOpen, ChildWindow::Sequencer},
        {StateFlag::DmxTestWindowOpen, ChildWindow::DmxTest},
    };
    for (const auto& entry : windows)
        if (model.hasState(entry.flag))
            view.setChildWindowEnabled(entry.window, enabled);
}

}  // namespace

Rgb displayColour(const WallPicture& colours, int index)
{
    const int element = index + 1;
    const auto colour = [&](int plane) { return colours[ShowModel::colourIndex(plane, element)]; };
    const std::uint8_t white = colour(White);
    return {addWhite(colour(Red), white), addWhite(colour(Green), white), addWhite(colour(Blue), white)};
}

Rgb displayColour(const ShowModel& model, int index) { return displayColour(model.ElementColours, index); }

void ShowElementColour(const ShowModel& model, ShowView& view, int index)
{
    if (index < 0 || index >= ElementSlots)
        return;
    view.showElementColour(index, displayColour(model, index));
}

void ShowAllElementColours(const ShowModel& model, ShowView& view)
{
    for (int index = 0; index < model.ElementCount; ++index)
        ShowElementColour(model, view, index);
}

void TestModeOff(ShowModel& model, ShowView& view)
{
    view.setTestWindowLook({StatusText::TestModeOffStatus, false, StatusText::TestModeStartCaption});
    model.clearState(StateFlag::TestMode);
}

void DisableChildWindows(const ShowModel& model, ShowView& view) { setChildWindowsEnabled(model, view, false); }

void EnableChildWindows(const ShowModel& model, ShowView& view) { setChildWindowsEnabled(model, view, true); }

void ShowBusy(UserInteraction& user) { user.setBusyPointer(true); }

void ShowIdle(UserInteraction& user) { user.setBusyPointer(false); }

}  // namespace tinctara
