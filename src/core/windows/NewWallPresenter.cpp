#include "windows/NewWallPresenter.h"

#include "files/ShowFiles.h"
#include "files/ShowPaths.h"
#include "model/ShowOperations.h"
#include "model/WallBuilder.h"
#include "text/Text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tinctara {

namespace {

constexpr int NameField = 0;
constexpr int ColumnsField = 1;
constexpr int RowsField = 2;
constexpr int ZoomField = 5;
constexpr int TotalField = 6;

bool acceptedKey(int keyCode)
{
    return (keyCode >= 46 && keyCode <= 57) || keyCode == 8 || keyCode == 13 || keyCode == 16 || keyCode == 37 ||
           keyCode == 39;
}


}  // namespace

void NewWallPresenter::setField(int index, std::string text)
{
    fields_[index] = std::move(text);
    view_.setField(index, fields_[index]);
}

std::int64_t NewWallPresenter::fieldValue(int index) const
{
    const double value = roundHalfEven(numericValue(fields_[index]));
    return static_cast<std::int64_t>(
        std::clamp(value, 0.0, static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

std::string NewWallPresenter::storedValue(int index) const
{
    switch (index) {
    case 1:
        return std::to_string(s_.model.WallColumns);
    case 2:
        return std::to_string(s_.model.WallRows);
    case 3:
        return std::to_string(s_.model.ElementWidth);
    case 4:
        return std::to_string(s_.model.ElementHeight);
    case 5:
        return std::to_string(s_.model.WallZoom);
    default:
        return fields_[index];
    }
}

void NewWallPresenter::recomputeTotal()
{
    setField(TotalField, std::to_string(fieldValue(RowsField) * fieldValue(ColumnsField)));
}

void NewWallPresenter::Form_Load()
{
    ShowBusy(s_.user);
    view_.setCaption(fileNamePart(s_.model.ConfigFileName) + "Wandeinstellungen ");
    if (s_.model.hasState(StateFlag::WallPresent)) {
        // Shown without the padding of the stored name, so typing goes on after
        // its last letter; OK pads it again.
        std::string name = fixedLength(s_.model.WallName, WallNameLength);
        name.erase(name.find_last_not_of(' ') + 1);
        setField(NameField, name);
        for (int index = ColumnsField; index <= ZoomField; ++index)
            setField(index, storedValue(index));
        setField(TotalField, std::to_string(s_.model.WallColumns * s_.model.WallRows));
        view_.setStatus("Bitte geben Sie die entsprechenden Werte ein");
    } else {
        for (int index = 0; index < NewWallText::Fields; ++index)
            setField(index, NewWallText::Defaults[index]);
    }
    sizeEdited_ = false;
    ShowIdle(s_.user);
}

void NewWallPresenter::txtfeld_Change(int index, std::string_view text)
{
    if (index >= 0 && index < NewWallText::Fields)
        fields_[index] = text;
}

void NewWallPresenter::txtfeld_KeyUp(int index, int keyCode)
{
    if (index == NameField || index == TotalField || index < 0 || index >= NewWallText::Fields)
        return;
    if (!acceptedKey(keyCode)) {
        s_.user.beep();
        setField(index, storedValue(index));
        view_.setStatus("Es sind nur Zahlen erlaubt!");
        if (index == ColumnsField || index == RowsField)
            recomputeTotal();
        return;
    }
    if (index == ColumnsField || index == RowsField) {
        sizeEdited_ = true;
        recomputeTotal();
    }
}

// Before an existing wall is replaced, the user may save what would be lost:
// each unsaved document is asked about once; Cancel keeps the dialog open.
bool NewWallPresenter::offerToSave()
{
    if (!s_.model.hasState(StateFlag::WallPresent) || s_.model.ElementCount == 0)
        return true;
    for (DocumentKind kind : {DocumentKind::Config, DocumentKind::Scene, DocumentKind::Sequence})
        if (s_.mainWindow.ConfirmUnsaved(kind))
            return false;
    return true;
}

void NewWallPresenter::cmdOK_Click()
{
    const std::int64_t total = fieldValue(TotalField);
    if (total > MaxWallElements) {
        s_.user.beep();
        view_.setStatus("Diese Version von DMX-TINCTARA unterstüzt nur bis zu 121 Elemente Maximal. Bitte ändern "
                        "Sie die Anzahl Horizontaler und Vertikaler Elemente. ");
        return;
    }
    if (total == 0) {
        s_.user.beep();
        view_.setStatus("Eine Wand kann nicht aus 0 Elementen bestehen. Bitte ändern Sie die Anzahl Horizontaler "
                        "und Vertikaler Elemente. ");
        view_.focusField(ColumnsField);
        return;
    }
    // The total field is typed by hand too; the wall is what columns and rows make.
    if (fieldValue(ColumnsField) * fieldValue(RowsField) > MaxWallElements ||
        fieldValue(ColumnsField) * fieldValue(RowsField) == 0) {
        recomputeTotal();
        cmdOK_Click();
        return;
    }
    if (fieldValue(ZoomField) == 0) {
        s_.user.beep();
        setField(ZoomField, "1");
    }
    if (!offerToSave())
        return;

    {
        // The questions above may have saved documents: the entry starts from those.
        RecordedEdit edit(
            edits_, "Neue Wand",
            {history::DocumentKind::Config, history::DocumentKind::Scene, history::DocumentKind::Sequence});
        buildWall();
    }
    s_.mainWindow.SaveINI();
    view_.closeDialog();
}

void NewWallPresenter::buildWall()
{
    ShowModel& model = s_.model;
    if (model.ElementCount > 1)
        RemoveWall(model, s_.show);
    model.WallName = fixedLength(fields_[NameField], WallNameLength);
    model.WallColumns = static_cast<std::uint8_t>(fieldValue(ColumnsField));
    model.WallRows = static_cast<std::uint8_t>(fieldValue(RowsField));
    model.ElementWidth = static_cast<std::int32_t>(fieldValue(3));
    model.ElementHeight = static_cast<std::int32_t>(fieldValue(4));
    model.WallZoom = static_cast<std::int32_t>(fieldValue(ZoomField));
    BuildWall(model, s_.show, s_.user, WallBuildKind::NewOrEdited);
    if (model.hasState(StateFlag::SequencePresent) && sizeEdited_)
        ImportScene(model, s_.show, s_.user);
    ShowAllElementColours(model, s_.show);
}

void NewWallPresenter::cmdAbbrechen_Click() { view_.closeDialog(); }

}  // namespace tinctara
