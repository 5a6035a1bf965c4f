#include "control/ShowControl.h"

namespace tinctara {

namespace {

constexpr int F1 = 112;  // memory K is the key F(K+1)
constexpr std::size_t StepFieldLength = 5;

}  // namespace

std::optional<ShowReply> ShowControl::refusedNow() const
{
    // Nothing may happen under a question: its answer decides what comes next.
    if (s_.host.questionOpen())
        return ShowReply{false, ShowText::QuestionOpen};
    if (s_.host.windowsLocked())
        return ShowReply{false, ShowText::Transferring};
    return std::nullopt;
}

ShowReply ShowControl::perform(const ShowAction& action)
{
    if (auto refusal = refusedNow())
        return *refusal;
    ShowModel& model = s_.model;
    // While a sequence plays the wall's cells and the colour window take no clicks.
    const bool playing = model.hasState(StateFlag::SequencePlaying);
    using Kind = ShowAction::Kind;
    switch (action.kind) {
    case Kind::Tap:
        if (playing)
            return {false, ShowText::WallLocked};
        if (action.number < 1 || action.number > model.ElementCount || !model.hasState(StateFlag::WallPresent))
            return {false, ShowText::Unknown};
        s_.windows.lblWand_CtrlClick(action.number - 1);
        return {true, s_.host.wallStatus()};
    case Kind::All:
    case Kind::None:
        if (playing)
            return {false, ShowText::WallLocked};
        if (action.kind == Kind::All)
            s_.selection.selectAll();
        else
            s_.selection.clear();
        return {true, s_.host.wallStatus()};
    case Kind::User: {
        if (playing)
            return {false, ShowText::WallLocked};
        if (action.number < 1 || action.number > UserColours)
            return {false, ShowText::Unknown};
        std::array<std::uint8_t, Planes> levels{};
        for (int plane = Red; plane <= White; ++plane)
            levels[plane - 1] = model.ColourLevels[ShowModel::userColourIndex(action.number, plane)];
        return {true, s_.host.applyColour(levels)};
    }
    case Kind::Mix:
        if (playing)
            return {false, ShowText::WallLocked};
        return {true, s_.host.applyColour(action.levels)};
    case Kind::Memory:
        // The function keys reach the wall window while it plays as well.
        if (action.number < 1 || action.number > SelectionMemories)
            return {false, ShowText::Unknown};
        s_.windows.wand_KeyDown(F1 + action.number);
        return {true, s_.host.wallStatus()};
    case Kind::Back:
        return press(ShowWindows::Button::Back);
    case Kind::Play:
        return press(ShowWindows::Button::Play);
    case Kind::Stop:
        return press(ShowWindows::Button::Stop);
    case Kind::Forward:
        return press(ShowWindows::Button::Forward);
    case Kind::TapTempo:
        // Tapping changes no window: it is allowed while a sequence plays.
        if (!s_.host.tapTempo())
            return {false, ShowText::Unknown};
        return {true, s_.host.sequencerStatus()};
    case Kind::Jump:
        if (action.text.empty() || action.text.size() > StepFieldLength)
            return {false, ShowText::Unknown};
        return jump(action.text);
    }
    return {false, ShowText::Unknown};
}

ShowReply ShowControl::press(ShowWindows::Button button)
{
    s_.windows.cmdSequence_Press(button);
    return {true, s_.host.sequencerStatus()};
}

ShowReply ShowControl::jump(std::string_view text)
{
    // As typed into the step field and left with Enter: each of the field's
    // checks applies, and leaving it ends as leaving the field does.
    const char last = text.back();
    const int keyCode = (last >= '0' && last <= '9') ? last : 'A';
    s_.windows.stepField_GotFocus();
    s_.windows.stepField_Typed(text, keyCode);
    const std::string status = s_.host.sequencerStatus();
    s_.windows.stepField_LostFocus();
    const std::string after = s_.host.sequencerStatus();
    return {true, after.empty() ? status : after};
}

}  // namespace tinctara
