#include "windows/ColourWindowPresenter.h"

#include "files/ShowPaths.h"
#include "model/ShowOperations.h"
#include "text/Text.h"
#include "windows/WindowTable.h"

#include <algorithm>

namespace tinctara {

namespace {

constexpr int FirstMemoryKey = 113;  // F2
constexpr int LastMemoryKey = 123;   // F12
constexpr int EnterKey = 13;
constexpr int TakeButton = 0;
constexpr int ApplyButton = 1;
constexpr int StoreButton = 3;

bool acceptedValueKey(int keyCode)
{
    return (keyCode >= 46 && keyCode <= 57) || keyCode == 8 || keyCode == 16 || keyCode == 37 || keyCode == 39;
}

bool memoryKey(int keyCode) { return keyCode >= FirstMemoryKey && keyCode <= LastMemoryKey; }

Rgb screenColour(int red, int green, int blue, int white)
{
    auto add = [white](int primary) { return static_cast<std::uint8_t>(std::min(255, primary + white)); };
    return {add(red), add(green), add(blue)};
}

std::string withoutPadding(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string paintCaption(const ShowModel& model)
{
    const int elements = std::min<int>(model.ElementCount, ElementSlots);
    const auto painted = std::count(model.SelectionFlags.begin(), model.SelectionFlags.begin() + elements, 1);
    return "Farbe auf " + std::to_string(painted) + (painted == 1 ? " Element" : " Elemente");
}

std::string userColourCaption(const char* what, int colour) { return what + std::to_string(colour); }

}  // namespace

void ColourWindowPresenter::Form_Load()
{
    ShowModel& model = s_.model;
    view_.setCaption(ColourText::CaptionPrefix + fileNamePart(model.ColourTableFileName));
    model.setState(StateFlag::ColourWindowOpen);
    // MixColour outlives the window; the new faders start where it stands, so
    // that what they show is what the buttons apply.
    for (int index = 0; index < Planes; ++index) {
        faders_[index] = model.MixColour[index];
        view_.showFader(index, faders_[index]);
        setValueField(index, std::to_string(faders_[index]));
    }
    // The box is created ticked: this is the user's tick, painting included.
    chkCHange_Click(true);
    if (!model.hasState(StateFlag::ImmediateApply))
        view_.setStatus("");
    else
        view_.setImmediateApplyChecked(true);
    ShowUserColors();
}

void ColourWindowPresenter::Form_Activate()
{
    s_.model.setState(StateFlag::ColourWindowOpen);
    ShowIdle(s_.user);
}

void ColourWindowPresenter::Form_Unload(const WindowPlacement& placement)
{
    ShowModel& model = s_.model;
    model.clearState(StateFlag::ColourWindowOpen);
    storePlacement(model, WindowNumber::Colour, placement);
}

WindowPlacement ColourWindowPresenter::storedPlacement() const
{
    return tinctara::storedPlacement(s_.model, WindowNumber::Colour);
}

bool ColourWindowPresenter::Form_KeyDown(int keyCode, bool shift) { return s_.selection.functionKey(keyCode, shift); }

void ColourWindowPresenter::setValueField(int index, std::string text)
{
    fields_[index] = std::move(text);
    view_.setValueField(index, fields_[index]);
}

void ColourWindowPresenter::Colormix()
{
    const auto& mix = s_.model.MixColour;
    view_.showPanelColour(screenColour(mix[0], mix[1], mix[2], mix[3]));
}

void ColourWindowPresenter::ShowUserColors()
{
    // Computed straight from the table: MixColour and the panel stay as they are.
    const ShowModel& model = s_.model;
    for (int colour = 1; colour <= UserColours; ++colour) {
        auto level = [&](int plane) { return model.ColourLevels[ShowModel::userColourIndex(colour, plane)]; };
        view_.showUserColour(colour - 1, screenColour(level(Red), level(Green), level(Blue), level(White)));
    }
}

void ColourWindowPresenter::prologue()
{
    if (s_.model.hasState(StateFlag::TestMode)) {
        TestModeOff(s_.model, s_.show);
        view_.setStatus(ColourText::TestModeEnded);
    } else {
        view_.setStatus("");
    }
}

void ColourWindowPresenter::faderPressed()
{
    if (edits_)
        edits_->history().beginGesture("Farbregler");
}

void ColourWindowPresenter::faderReleased()
{
    if (edits_)
        edits_->history().endGesture();
}

void ColourWindowPresenter::paintSelection()
{
    ShowModel& model = s_.model;
    RecordedEdit edit(edits_, paintCaption(model), {history::DocumentKind::Scene});
    model.setDocument(DocumentFlag::SceneChanged);
    for (int index = 0; index < model.ElementCount && index < ElementSlots; ++index) {
        if (model.SelectionFlags[index] != 1)
            continue;
        for (int plane = Red; plane <= White; ++plane)
            model.colour(plane, index + 1) = model.MixColour[plane - 1];
        ShowElementColour(model, s_.show, index);
    }
}

void ColourWindowPresenter::setFader(int index, int value)
{
    if (index < 0 || index >= Planes)
        return;
    value = std::clamp(value, minimum_, 255);
    if (faders_[index] == value)
        return;
    faders_[index] = value;
    view_.showFader(index, value);
    faderChanged(index);
}

void ColourWindowPresenter::ScrFarbe_Change(int index, int value)
{
    if (index < 0 || index >= Planes)
        return;
    value = std::clamp(value, minimum_, 255);
    if (faders_[index] == value)
        return;
    faders_[index] = value;
    faderChanged(index);
}

void ColourWindowPresenter::faderChanged(int index)
{
    s_.model.MixColour[index] = static_cast<std::uint8_t>(faders_[index]);
    setValueField(index, std::to_string(faders_[index]));
    Colormix();
    prologue();
    if (s_.model.hasState(StateFlag::ImmediateApply))
        paintSelection();
}

void ColourWindowPresenter::txtFarbe_Change(int index, std::string_view text)
{
    if (index >= 0 && index < Planes)
        fields_[index] = text;
}

void ColourWindowPresenter::txtFarbe_KeyUp(int index, int keyCode, bool shift)
{
    if (index < 0 || index >= Planes || acceptedValueKey(keyCode))
        return;
    if (keyCode == EnterKey) {
        view_.setStatus(ColourText::UseTab);
        if (index < Planes - 1)
            focusValueField(index + 1);
        else
            view_.focus(ColourControl::ApplyButton);
        return;
    }
    if (memoryKey(keyCode)) {
        s_.selection.functionKey(keyCode, shift);
        return;
    }
    s_.user.beep();
    setValueField(index, "0");
    view_.setStatus(ColourText::OnlyNumbers);
}

void ColourWindowPresenter::txtFarbe_LostFocus(int index)
{
    if (index < 0 || index >= Planes)
        return;
    const double value = numericValue(fields_[index]);
    if (fields_[index].empty() || !(value >= 0 && value <= 255)) {
        setValueField(index, "0");
        s_.user.beep();
        view_.setStatus(ColourText::OutOfRange);
        return;
    }
    // With the minimum option a typed 0 is raised to the fader's bottom end;
    // the field shows what the fader took.
    setFader(index, static_cast<int>(roundHalfEven(value)));
    if (fields_[index] != std::to_string(faders_[index]))
        setValueField(index, std::to_string(faders_[index]));
}

void ColourWindowPresenter::cmdColor_Click(int index)
{
    if (index != TakeButton && index != ApplyButton && index != StoreButton)
        return;
    prologue();
    switch (index) {
    case TakeButton:
        takeColour();
        break;
    case ApplyButton:
        paintSelection();
        break;
    default:
        storeMode_ = true;
        view_.setStorePromptVisible(true);
        view_.setStatus(ColourText::PickField);
        break;
    }
}

void ColourWindowPresenter::takeColour()
{
    ShowModel& model = s_.model;
    const int element = s_.selection.firstSelected();
    if (model.SelectionCount == 0 || element == 0)
        return;
    for (int plane = Red; plane <= White; ++plane)
        model.MixColour[plane - 1] = model.colour(plane, element);
    // Picking a colour up never paints the selection.
    const bool immediate = model.hasState(StateFlag::ImmediateApply);
    model.clearState(StateFlag::ImmediateApply);
    for (int index = 0; index < Planes; ++index) {
        const int level = model.colour(index + 1, element);
        focusFader(index);
        setFader(index, minimumTicked_ && level == 0 ? 1 : level);
        // A fader already standing at the raised value runs no change; MixColour
        // must still follow it.
        model.MixColour[index] = static_cast<std::uint8_t>(faders_[index]);
    }
    if (immediate)
        model.setState(StateFlag::ImmediateApply);
    Colormix();
}

void ColourWindowPresenter::txtUserColor_Click(int index)
{
    if (index < 0 || index >= UserColours)
        return;
    ShowModel& model = s_.model;
    const int colour = index + 1;
    if (storeMode_) {
        storeMode_ = false;
        view_.setStorePromptVisible(false);
        Colormix();
        const auto& mix = model.MixColour;
        view_.showUserColour(index, screenColour(mix[0], mix[1], mix[2], mix[3]));
        {
            RecordedEdit edit(edits_, userColourCaption("Farbtabelle Farbe ", colour),
                              {history::DocumentKind::ColourTable});
            for (int plane = Red; plane <= White; ++plane)
                model.ColourLevels[ShowModel::userColourIndex(colour, plane)] = mix[plane - 1];
            markColourTableChanged();
        }
        currentUserColour_ = colour;
        view_.focus(ColourControl::NameField);
    } else {
        currentUserColour_ = colour;
        // With "sofort übernehmen" each fader set paints: one entry for the
        // whole colour, not one per fader and its in-between colours.
        if (edits_)
            edits_->history().beginGesture("Farbfeld");
        for (int plane = Red; plane <= White; ++plane) {
            const int stored = model.ColourLevels[ShowModel::userColourIndex(colour, plane)];
            if (minimumTicked_) {
                setFader(plane - 1, 1);
                model.MixColour[plane - 1] = 1;
                if (stored > 0) {
                    setFader(plane - 1, stored);
                    model.MixColour[plane - 1] = static_cast<std::uint8_t>(stored);
                }
            } else {
                setFader(plane - 1, stored);
                model.MixColour[plane - 1] = static_cast<std::uint8_t>(stored);
            }
        }
        // Refreshes the panel, ends test mode and paints the selection when
        // "sofort übernehmen" is ticked.
        faderChanged(1);
        if (edits_)
            edits_->history().endGesture();
        view_.focus(ColourControl::ApplyButton);
    }
    numberField_ = std::to_string(currentUserColour_);
    view_.setNumberField(numberField_);
    nameField_ = withoutPadding(fixedLength(model.ColourNames[index], UserColourNameLength));
    view_.setNameField(nameField_);
}

void ColourWindowPresenter::txtFarbName_Change(std::string_view text) { nameField_ = text; }

void ColourWindowPresenter::txtFarbName_KeyDown(int keyCode, bool shift)
{
    if (memoryKey(keyCode))
        s_.selection.functionKey(keyCode, shift);
    else if (keyCode == EnterKey)
        view_.focus(ColourControl::ApplyButton);
}

void ColourWindowPresenter::txtFarbName_LostFocus()
{
    if (numberField_.empty())
        return;
    const double number = numericValue(numberField_);
    if (!(number >= 1 && number <= UserColours))
        return;
    {
        RecordedEdit edit(edits_, userColourCaption("Name Farbe ", static_cast<int>(number)),
                          {history::DocumentKind::ColourTable});
        s_.model.ColourNames[static_cast<int>(number) - 1] = fixedLength(nameField_, UserColourNameLength);
        markColourTableChanged();
    }
    view_.setStatus(ColourText::NameStored);
}

void ColourWindowPresenter::markColourTableChanged()
{
    if (s_.model.ColourTableFileName.empty())
        s_.model.setDocument(DocumentFlag::ColourTableNew);
    s_.model.setDocument(DocumentFlag::ColourTableChanged);
}

void ColourWindowPresenter::chkCHange_Click(bool ticked)
{
    if (ticked) {
        view_.setStatus(ColourText::ImmediateOn);
        s_.model.setState(StateFlag::ImmediateApply);
        faderChanged(0);
    } else {
        view_.setStatus("");
        s_.model.clearState(StateFlag::ImmediateApply);
    }
}

void ColourWindowPresenter::chkMindest_Click(bool ticked)
{
    minimumTicked_ = ticked;
    minimum_ = ticked ? 1 : 0;
    view_.setFaderMinimum(minimum_);
    for (int index = 0; index < Planes; ++index)
        if (faders_[index] < minimum_)
            setFader(index, minimum_);
}

}  // namespace tinctara
