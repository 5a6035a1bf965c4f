#include "windows/DmxTestPresenter.h"

#include "model/ShowOperations.h"
#include "model/StatusTexts.h"
#include "text/Text.h"
#include "windows/WindowTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tinctara {

DmxTestPresenter::DmxTestPresenter(ShowModel& model, UserInteraction& user, Selection& selection)
    : model_(model), user_(user), selection_(selection)
{
    for (int row = 0; row < DmxTestText::Rows; ++row) {
        setChannel(row, std::to_string(row + 1));
        values_[row] = "0";
    }
    look_ = {DmxTestText::InitialStatus, false, StatusText::TestModeStartCaption};
}

void DmxTestPresenter::attachView(DmxTestView* view)
{
    view_ = view;
    if (!view_)
        return;
    for (int row = 0; row < DmxTestText::Rows; ++row) {
        view_->setChannelField(row, channels_[row]);
        view_->setValueField(row, values_[row]);
    }
    view_->setLook(look_);
}

void DmxTestPresenter::Form_Load()
{
    model_.setState(StateFlag::DmxTestWindowOpen | StateFlag::DmxMonitorOn);
    ShowIdle(user_);
}

void DmxTestPresenter::Form_Activate()
{
    model_.setState(StateFlag::DmxTestWindowOpen);
    if (view_)
        view_->setNoInterfaceNoticeVisible(model_.InterfaceType == Interface::NoInterface);
    ShowIdle(user_);
}

WindowPlacement DmxTestPresenter::storedPlacement() const
{
    return tinctara::storedPlacement(model_, WindowNumber::DmxTest);
}

void DmxTestPresenter::Form_Unload(const WindowPlacement& placement)
{
    model_.clearState(StateFlag::DmxMonitorOn);
    if (model_.hasState(StateFlag::TestMode))
        cmdDMX_Click();  // leaves test mode: the output follows the wall again
    storePlacement(model_, WindowNumber::DmxTest, placement);
    model_.clearState(StateFlag::DmxTestWindowOpen);
}

void DmxTestPresenter::enterTestMode()
{
    model_.setState(StateFlag::TestMode);
    setLook({DmxTestText::TestModeOnStatus, true, DmxTestText::TestModeOnCaption});
}

void DmxTestPresenter::ScrDMX_Change(int row, int value)
{
    if (row < 0 || row >= DmxTestText::Rows)
        return;
    faders_[row] = std::clamp(value, 0, 255);
    // A channel field still being typed may hold no valid channel; its level
    // then has nowhere to go until the field is corrected.
    const double channel = roundHalfEven(numericValue(channels_[row]));
    if (channel >= 1 && channel <= DmxChannels)
        model_.TestLevels[static_cast<std::size_t>(channel) - 1] = static_cast<std::uint8_t>(faders_[row]);
    enterTestMode();
}

void DmxTestPresenter::cmdDMX_Click()
{
    if (!model_.hasState(StateFlag::TestMode)) {
        ScrDMX_Change(0, faders_[0]);
        return;
    }
    setLook({StatusText::TestModeOffStatus, false, StatusText::TestModeStartCaption});
    model_.clearState(StateFlag::TestMode);
}

bool DmxTestPresenter::txtPatch_KeyPress(int row, int characterCode)
{
    const bool accepted = (characterCode >= '0' && characterCode <= '9') || characterCode == 8 || characterCode == 13 ||
                          characterCode == 16;
    if (!accepted) {
        setChannel(row, "");
        if (view_)
            view_->setChannelField(row, "");
        user_.beep();
        setLook({"Nur Zahlen sind erlaubt!", look_.testModeBackground, look_.buttonCaption});
        return false;
    }
    if (characterCode == 13 && row < DmxTestText::Rows - 1 && view_)
        view_->focusChannelField(row + 1);
    return true;
}

void DmxTestPresenter::txtPatch_Change(int row, std::string_view text)
{
    if (row < 0 || row >= DmxTestText::Rows)
        return;
    setChannel(row, std::string(text));
    model_.clearState(StateFlag::DmxMonitorOn);  // no read-back while a channel is being typed
}

void DmxTestPresenter::txtPatch_LostFocus(int row)
{
    if (row < 0 || row >= DmxTestText::Rows)
        return;
    const double channel = numericValue(channels_[row]);
    if (channel < 1 || channel > DmxChannels) {
        setLook({"Unzulässiger Wert! DMX-Kanal 1 - 512 angeben.", look_.testModeBackground, look_.buttonCaption});
        setChannel(row, std::to_string(row + 1));
        if (view_)
            view_->setChannelField(row, channels_[row]);
        user_.beep();
    }
    model_.setState(StateFlag::DmxMonitorOn);
}

void DmxTestPresenter::setChannel(int row, std::string text)
{
    // Read once here, not by the engine on every tick.
    const double channel = roundHalfEven(numericValue(text));
    monitored_[row] = channel >= 1 && channel <= DmxChannels ? static_cast<int>(channel) : 0;
    channels_[row] = std::move(text);
}

void DmxTestPresenter::setMonitorValue(int row, int level)
{
    if (row < 0 || row >= DmxTestText::Rows)
        return;
    // The engine refreshes the rows on every tick; only a change reaches the screen.
    char text[16];
    std::snprintf(text, sizeof text, "%d", level);
    if (values_[row] == text)
        return;
    values_[row] = text;
    if (view_)
        view_->setValueField(row, values_[row]);
}

void DmxTestPresenter::setLook(const TestWindowLook& look)
{
    look_ = look;
    if (view_)
        view_->setLook(look_);
}

}  // namespace tinctara
