#include "windows/OptionsPresenter.h"

#include "dmx/OutputPort.h"
#include "model/ShowOperations.h"
#include "text/Text.h"
#include "windows/WindowTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tinctara {

namespace {

using namespace OptionsText;

bool acceptedKey(int keyCode)
{
    return keyCode == 116 || keyCode == 16 || keyCode == 13 || keyCode == 8 || (keyCode >= 37 && keyCode <= 40) ||
           (keyCode >= 46 && keyCode <= 57);
}

// x F/2 with F = 120/88, kept as one exact ratio: 88 us is exactly 60 units.
int breakToCardUnits(double microseconds) { return static_cast<int>(std::floor(microseconds * 60.0 / 88.0)); }
long long breakToMicroseconds(int cardUnits) { return std::llround(cardUnits * 88.0 / 60.0); }

std::int16_t toInt16(double value)
{
    return static_cast<std::int16_t>(std::clamp(std::trunc(value), -32768.0, 32767.0));
}

}  // namespace

void OptionsPresenter::setField(int index, std::string text)
{
    fields_[index] = std::move(text);
    view_.setField(index, fields_[index]);
}

void OptionsPresenter::setWarning(bool visible)
{
    warning_ = visible;
    view_.setWarningVisible(visible);
}

double OptionsPresenter::value(int index) const { return numericValue(fields_[index]); }

// The value in use for a field, from the same source as on activation.
std::string OptionsPresenter::valueInUse(int index) const
{
    const auto& t = model_.DmxTiming;
    const bool card = portFor(model_.InterfaceType).takesTimingBlock();
    switch (index) {
    case BreakField:
        return card ? std::to_string(breakToMicroseconds(t[0])) : "Auto";
    case IdleField:
        return card ? std::to_string(t[2]) : "Auto";
    case StartByteField:
        return card ? std::to_string(t[1]) : "0";
    case InterDigitField:
        return card ? std::to_string(t[6]) : "Auto";
    case ChannelsField:
        return card ? std::to_string(t[4] * 256 + t[3]) : "512";
    case RepeatField:
        return std::to_string(OutputPeriodMs);
    default:
        return fields_[index];
    }
}

void OptionsPresenter::unlockDMX()
{
    for (int index = BreakField; index <= RepeatField; ++index)
        view_.setFieldEnabled(index, true);
    view_.setFieldEnabled(ChannelsField, !model_.hasState(StateFlag::AutoChannelCount));
}

void OptionsPresenter::Form_Load()
{
    model_.setState(StateFlag::OptionsWindowOpen);
    const std::string* paths[] = {&model_.ConfigFileName, &model_.SceneFileName, &model_.SequenceFileName,
                                  &model_.ColourTableFileName};
    for (int i = 0; i < 4; ++i)
        view_.setPath(i, *paths[i]);
    view_.setAutoLoad(model_.hasState(StateFlag::AutoLoad));
    view_.setFieldEnabled(LengthField, false);
}

void OptionsPresenter::Form_Activate()
{
    model_.setState(StateFlag::OptionsWindowOpen);
    if (portFor(model_.InterfaceType).takesTimingBlock()) {
        unlockDMX();
        model_.ChannelCount = static_cast<std::int16_t>(model_.DmxTiming[4] * 256 + model_.DmxTiming[3]);
        for (int index = BreakField; index <= RepeatField; ++index)
            setField(index, valueInUse(index));
        repeatMode_ = model_.DmxTiming[5] == 1 ? 1 : 0;
        view_.setRepeatMode(repeatMode_);
    } else {
        for (int index = BreakField; index <= RepeatField; ++index) {
            setField(index, valueInUse(index));
            view_.setFieldEnabled(index, false);
        }
        model_.ChannelCount = 511;
    }
    const bool automatic = model_.hasState(StateFlag::AutoChannelCount);
    view_.setAutoChannels(automatic, true);
    view_.setFieldEnabled(ChannelsField, !automatic && portFor(model_.InterfaceType).takesTimingBlock());
    BerechneSendelaenge();
    ShowIdle(user_);
}

WindowPlacement OptionsPresenter::storedPlacement() const
{
    return tinctara::storedPlacement(model_, WindowNumber::Options);
}

void OptionsPresenter::Form_Unload(const WindowPlacement& placement)
{
    model_.clearState(StateFlag::OptionsWindowOpen);
    storePlacement(model_, WindowNumber::Options, placement);
}

void OptionsPresenter::txtDMX_Change(int index, std::string_view text)
{
    if (index >= 0 && index < DmxFields)
        fields_[index] = text;
}

void OptionsPresenter::txtDMX_KeyUp(int index, int keyCode)
{
    if (index < BreakField || index > RepeatField || acceptedKey(keyCode))
        return;
    setField(index, valueInUse(index));
}

void OptionsPresenter::txtDMX_LostFocus(int index)
{
    const double typed = value(index);
    switch (index) {
    case BreakField:
        if (typed < 88) {
            setWarning(true);
            if (typed < 64)
                setField(index, "64");
        } else {
            setWarning(false);
            if (typed > 180)
                setField(index, "180");
        }
        break;
    case IdleField:
        if (typed > 255)
            setField(index, "255");
        break;
    case StartByteField:
        if (typed > 255)
            setField(index, "255");
        setWarning(value(index) > 0);
        break;
    case InterDigitField:
        if (typed > 44)
            setField(index, "44");
        break;
    case ChannelsField:
        if (typed > 512)
            setField(index, "512");
        if (typed < neededChannels())
            user_.messageBox("Es werden für " + std::to_string(model_.ElementCount) + " Elemente " +
                                 std::to_string(neededChannels()) +
                                 " DMX Kanäle benötigt. Ihre Einstellung unterschreitet die Anzahl benötigter DMX "
                                 "Kanäle!",
                             "", MessageButtons::Ok, MessageIcon::None);
        break;
    case RepeatField:
        if (typed != OutputPeriodMs) {
            if (typed < 30)
                setField(index, "30");
            else if (typed > 1000)
                setField(index, "1000");
            user_.messageBox(" Beim Sende repeat sollte der Wert 50 unbedingt beibehalten werden!", "",
                             MessageButtons::Ok, MessageIcon::None);
        }
        break;
    default:
        return;
    }
    BerechneSendelaenge();
}

void OptionsPresenter::OptDMXSend_Click(int mode) { repeatMode_ = mode == 1 ? 1 : 0; }

void OptionsPresenter::cckAutoDMXmax_Click(bool ticked)
{
    if (ticked) {
        model_.setState(StateFlag::AutoChannelCount);
        view_.setFieldEnabled(ChannelsField, false);
        const int channels = neededChannels();
        model_.DmxTiming[3] = static_cast<std::int16_t>(channels & 255);
        model_.DmxTiming[4] = static_cast<std::int16_t>(roundHalfEven((channels - 1) / 256.0));
        model_.ChannelCount = static_cast<std::int16_t>(channels);
        setField(ChannelsField, std::to_string(channels));
    } else {
        model_.clearState(StateFlag::AutoChannelCount);
        view_.setFieldEnabled(ChannelsField, true);
    }
    BerechneSendelaenge();
}

void OptionsPresenter::chkAutoStart_Click(bool ticked)
{
    if (ticked)
        model_.setState(StateFlag::AutoLoad);
    else
        model_.clearState(StateFlag::AutoLoad);
}

void OptionsPresenter::cmdDefaultDMX_Click()
{
    const std::string defaults[] = {"88", "30", "0", "0", std::to_string(neededChannels()), "30"};
    for (int index = BreakField; index <= RepeatField; ++index)
        setField(index, defaults[index]);
    repeatMode_ = 0;
    view_.setRepeatMode(0);
    view_.setAutoChannels(true, true);
    cckAutoDMXmax_Click(true);
}

void OptionsPresenter::BerechneSendelaenge()
{
    const double breakLength = value(BreakField);
    const double interSlot = value(InterDigitField);
    const double channels = value(ChannelsField);
    const std::optional<double> length = portFor(model_.InterfaceType).frameLength(breakLength, interSlot, channels);
    if (!length)
        return;
    const double tenths = std::floor(static_cast<float>(*length) / 100 + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%g ms", tenths / 10);
    setField(LengthField, text);
}

bool OptionsPresenter::ChangedConfig() const
{
    const auto& t = model_.DmxTiming;
    const double channels = value(ChannelsField);
    return breakToCardUnits(value(BreakField)) != t[0] || toInt16(value(StartByteField)) != t[1] ||
           toInt16(value(IdleField)) != t[2] || (static_cast<long long>(channels) & 255) != t[3] ||
           toInt16((channels - 1) / 256) != t[4] || repeatMode_ != t[5] || toInt16(value(InterDigitField)) != t[6];
}

void OptionsPresenter::SaveConfig()
{
    auto& t = model_.DmxTiming;
    const double channels = value(ChannelsField);
    t[0] = toInt16(breakToCardUnits(value(BreakField)));
    t[1] = toInt16(value(StartByteField));
    t[2] = toInt16(value(IdleField));
    t[3] = static_cast<std::int16_t>(static_cast<long long>(channels) & 255);
    t[4] = toInt16((channels - 1) / 256);
    t[5] = static_cast<std::int16_t>(repeatMode_);
    t[6] = toInt16(value(InterDigitField));
    for (int i = 7; i < DmxTimingValues; ++i)
        t[i] = 0;
    mainWindow_.SaveINI();
    model_.TimingBlockPending = 1;
}

void OptionsPresenter::cmdOK_Click()
{
    if (ChangedConfig()) {
        model_.setDocument(DocumentFlag::ConfigChanged);
        SaveConfig();
    }
    view_.closeWindow();
}

}  // namespace tinctara
