#pragma once

#include "control/ShowControl.h"
#include "windows/SequencerPresenter.h"
#include "windows/WallWindowPresenter.h"

namespace tinctara {

// The windows a show action goes through: the wall's and the sequencer's presenters.
class PresenterShowWindows : public ShowWindows {
public:
    PresenterShowWindows(WallWindowPresenter& wall, SequencerPresenter& sequencer) : wall_(wall), sequencer_(sequencer)
    {
    }

    void lblWand_CtrlClick(int index) override { wall_.lblWand_MouseDown(index, MouseButton::Left, true); }
    bool wand_KeyDown(int keyCode) override { return wall_.Form_KeyDown(keyCode, false); }
    void cmdSequence_Press(ShowWindows::Button button) override
    {
        static constexpr SequencerButton Index[] = {Back, PlayButton, StopButton, Forward};
        const SequencerButton index = Index[static_cast<int>(button)];
        sequencer_.cmdSequence_MouseDown(index);
        sequencer_.cmdSequence_Click(index);
    }
    void stepField_GotFocus() override { sequencer_.txtSequence_GotFocus(StepField); }
    void stepField_Typed(std::string_view text, int keyCode) override
    {
        sequencer_.txtSequence_Change(StepField, text);
        sequencer_.txtSequence_KeyUp(StepField, keyCode);
    }
    void stepField_LostFocus() override { sequencer_.txtSequence_LostFocus(StepField); }

private:
    WallWindowPresenter& wall_;
    SequencerPresenter& sequencer_;
};

}  // namespace tinctara
