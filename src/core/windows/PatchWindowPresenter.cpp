#include "windows/PatchWindowPresenter.h"

#include "model/ShowOperations.h"
#include "text/Text.h"
#include "windows/WindowTable.h"

#include <algorithm>
#include <cmath>

namespace tinctara {

namespace {

constexpr int ElementField = 0;
constexpr int FirstChannelField = 1;
constexpr int FirstCorrectionField = 5;
constexpr int EnterKey = 13;

bool acceptedKey(int keyCode)
{
    return keyCode == 8 || keyCode == 13 || keyCode == 16 || (keyCode >= 37 && keyCode <= 40) ||
           (keyCode >= 46 && keyCode <= 57) || keyCode == 116;
}

}  // namespace

void PatchWindowPresenter::Form_Load()
{
    s_.model.setState(StateFlag::PatchWindowOpen);
    ShowIdle(s_.user);
}

void PatchWindowPresenter::Form_Activate()
{
    ShowModel& model = s_.model;
    model.setState(StateFlag::PatchWindowOpen);
    const int first = model.SelectionCount > 0 ? s_.selection.firstSelected() : 0;
    setField(ElementField, std::to_string(first > 0 ? first : model.ContextElement));
    loadElement();
    // The field that has the focus now holds the loaded value; that is the
    // value a refused key puts back.
    if (focused_ >= 0)
        remembered_ = fieldValue(focused_);
    ShowIdle(s_.user);
}

void PatchWindowPresenter::Form_Unload(const WindowPlacement& placement)
{
    ShowModel& model = s_.model;
    model.clearState(StateFlag::PatchWindowOpen);
    s_.show.setWallStatus("");
    storePlacement(model, WindowNumber::Patch, placement);
}

WindowPlacement PatchWindowPresenter::storedPlacement() const
{
    return tinctara::storedPlacement(s_.model, WindowNumber::Patch);
}

void PatchWindowPresenter::setField(int index, std::string text)
{
    fields_[index] = std::move(text);
    view_.setField(index, fields_[index]);
}

void PatchWindowPresenter::setClash(int index, bool clash)
{
    clash_[index] = clash;
    view_.setFieldClash(index, clash);
}

// A field's text as a whole number; an empty text is 0.
long long PatchWindowPresenter::fieldValue(int index) const
{
    const double value = numericValue(fields_[index]);
    if (!std::isfinite(value))
        return value < 0 ? -1 : 1'000'000;
    return static_cast<long long>(roundHalfEven(std::clamp(value, -1e9, 1e9)));
}

void PatchWindowPresenter::txtElement_GotFocus(int index)
{
    if (index < 0 || index >= PatchText::Fields)
        return;
    focused_ = index;
    remembered_ = fieldValue(index);
}

void PatchWindowPresenter::txtElement_Change(int index, std::string_view text)
{
    if (index >= 0 && index < PatchText::Fields)
        fields_[index] = text;
}

void PatchWindowPresenter::txtElement_KeyUp(int index, int keyCode)
{
    if (index < 0 || index >= PatchText::Fields)
        return;
    if (!acceptedKey(keyCode)) {
        setField(index, std::to_string(remembered_));
        s_.user.beep();
        view_.setStatus(PatchText::OnlyNumbers);
    } else if (keyCode == EnterKey) {
        view_.setStatus(PatchText::UseTab);
    } else if (index == ElementField) {
        view_.setStatus(PatchText::ElementHint);
    } else if (index < FirstCorrectionField) {
        view_.setStatus("Werte zwischen 1 und " + std::to_string(s_.model.ChannelCount));
    } else {
        view_.setStatus(PatchText::CorrectionHint);
    }
}

void PatchWindowPresenter::txtElement_LostFocus(int index)
{
    if (index == focused_)
        focused_ = -1;
    if (index == ElementField)
        loadElement();
    else if (index >= FirstChannelField && index < FirstCorrectionField)
        channelLeft(index);
    else if (index >= FirstCorrectionField && index < PatchText::Fields)
        correctionLeft(index - FirstCorrectionField + 1);
}

void PatchWindowPresenter::loadElement()
{
    ShowModel& model = s_.model;
    const long long element = fieldValue(ElementField);
    if (element < 1 || element > model.elementsInUse()) {
        view_.setStatus(PatchText::NoSuchElement);
        for (int index = FirstChannelField; index < PatchText::Fields; ++index)
            setField(index, "");
        view_.focusField(ElementField);
        return;
    }
    const int e = static_cast<int>(element);
    ShowBusy(s_.user);
    for (int plane = Red; plane <= White; ++plane) {
        setClash(plane, false);
        setField(plane, std::to_string(model.patch(e, plane)));
        setField(plane + FirstCorrectionField - 1, std::to_string(model.correction(e, plane)));
    }
    for (int plane = Red; plane <= White; ++plane)
        scanForClash(e, plane);
    ShowIdle(s_.user);
}

// Unpatched channels (0) take part like any other number.
bool PatchWindowPresenter::scanForClash(int element, int plane)
{
    const ShowModel& model = s_.model;
    const std::uint16_t channel = model.patch(element, plane);
    for (int e = 1; e <= model.elementsInUse(); ++e) {
        for (int k = Red; k <= White; ++k) {
            if ((e == element && k == plane) || model.patch(e, k) != channel)
                continue;
            setClash(plane, true);
            if (e != element) {
                s_.user.beep();
                view_.setStatus("Kanal ist bereits von Element " + std::to_string(e) + " belegt!");
            } else {
                view_.setStatus(PatchText::UsedBySameElement);
            }
            return true;
        }
    }
    setClash(plane, false);
    view_.setStatus("");
    return false;
}

void PatchWindowPresenter::channelLeft(int plane)
{
    ShowModel& model = s_.model;
    const long long element = fieldValue(ElementField);
    if (element < 1 || element > PatchSlots)
        return;
    const int e = static_cast<int>(element);
    const long long value = fieldValue(plane);
    // The frame has 512 channels, whatever the interface is set to.
    const int highest = std::min<int>(model.ChannelCount, DmxChannels);
    if (value > highest) {
        s_.user.beep();
        view_.setStatus("Die Karte ist auf " + std::to_string(highest) + " DMX-Kanäle eingestellt");
        setField(plane, std::to_string(remembered_));
        return;
    }
    if (value < 1) {
        view_.setStatus(PatchText::NoChannelZero);
        s_.user.beep();
        setField(plane, std::to_string(remembered_));
        return;
    }
    if (model.patch(e, plane) != value) {
        RecordedEdit edit(edits_, "Patch Element " + std::to_string(e), {history::DocumentKind::Config});
        model.patch(e, plane) = static_cast<std::uint16_t>(value);
        model.setDocument(DocumentFlag::ConfigChanged);
    }
    // A corrected red field may have freed another field of the element.
    if (clash_[plane])
        loadElement();
    // A clash is a warning: the value stays stored.
    scanForClash(e, plane);
}

void PatchWindowPresenter::correctionLeft(int plane)
{
    ShowModel& model = s_.model;
    const long long element = fieldValue(ElementField);
    if (element < 1 || element > PatchSlots)
        return;
    const int index = plane + FirstCorrectionField - 1;
    const long long value = fieldValue(index);
    if (value < 0 || value > 255) {
        setField(index, std::to_string(remembered_));
        return;
    }
    // An emptied field stores 0 and says so.
    setField(index, std::to_string(value));
    const int e = static_cast<int>(element);
    if (model.correction(e, plane) != value) {
        RecordedEdit edit(edits_, "Korrektur Element " + std::to_string(e), {history::DocumentKind::Config});
        model.correction(e, plane) = static_cast<std::uint8_t>(value);
        model.setDocument(DocumentFlag::ConfigChanged);
    }
}

void PatchWindowPresenter::cmdColorCorrektion_Click()
{
    ShowModel& model = s_.model;
    view_.setStatus("");
    std::array<std::uint8_t, Planes> values{};
    for (int plane = Red; plane <= White; ++plane)
        values[plane - 1] =
            static_cast<std::uint8_t>(std::clamp(fieldValue(plane + FirstCorrectionField - 1), 0LL, 255LL));
    RecordedEdit edit(edits_, "Korrektur auf alle Elemente", {history::DocumentKind::Config});
    for (int e = 1; e <= model.elementsInUse(); ++e) {
        for (int plane = Red; plane <= White; ++plane) {
            if (model.correction(e, plane) == values[plane - 1])
                continue;
            model.correction(e, plane) = values[plane - 1];
            model.setDocument(DocumentFlag::ConfigChanged);
        }
    }
    view_.setStatus(PatchText::CorrectionCopied);
}

void PatchWindowPresenter::cmdOK_Click()
{
    const bool errors = std::any_of(clash_.begin() + FirstChannelField, clash_.begin() + FirstCorrectionField,
                                    [](bool red) { return red; });
    if (errors && s_.user.messageBox(PatchText::LeaveWithErrors, "", MessageButtons::OkCancel,
                                     MessageIcon::Exclamation) == MessageAnswer::Cancel)
        return;
    s_.model.setDocument(DocumentFlag::ConfigChanged);
    view_.closeWindow();
}

}  // namespace tinctara
