#include "windows/WallWindowPresenter.h"

#include "model/ShowOperations.h"
#include "windows/WindowTable.h"

namespace tinctara {

void WallWindowPresenter::Form_Load()
{
    model_.setState(StateFlag::WallWindowOpen);
    view_.setWallCaption(model_.WallName);
}

void WallWindowPresenter::Form_Activate() { ShowIdle(user_); }

WindowPlacement WallWindowPresenter::storedPlacement() const
{
    return tinctara::storedPlacement(model_, WindowNumber::Wall);
}

void WallWindowPresenter::Form_Resize(const WindowPlacement& placement)
{
    // While the last show is being reloaded the builder sizes the window from
    // the table; that must not overwrite the table.
    if (!model_.hasState(StateFlag::SilentFileOp))
        storePlacement(model_, WindowNumber::Wall, placement, SlotFields::Size);
}

void WallWindowPresenter::Form_Unload(const WindowPlacement& placement)
{
    storePlacement(model_, WindowNumber::Wall, placement);
    model_.clearState(StateFlag::WallWindowOpen);
}

bool WallWindowPresenter::Form_KeyDown(int keyCode, bool shift) { return selection_.functionKey(keyCode, shift); }

void WallWindowPresenter::lblWand_MouseDown(int index, MouseButton button, bool ctrl)
{
    if (!model_.hasState(StateFlag::WallPresent) || index < 0 || index >= model_.ElementCount)
        return;
    if (button == MouseButton::Right) {
        model_.ContextElement = static_cast<std::int16_t>(index + 1);
        view_.popUpEditMenu();
        return;
    }
    if (button != MouseButton::Left)
        return;
    if (!ctrl) {
        selection_.clear();
        selection_.selectSingle(index);
    } else if (model_.SelectionCount != 0) {
        if (model_.SelectionFlags[index] == 1)
            selection_.deselect(index);
        else
            selection_.addToSelection(index);
    } else {
        selection_.selectSingle(index);
    }
    if (model_.hasState(StateFlag::PatchWindowOpen) && model_.SelectionCount == 1) {
        view_.setWallStatus("Zeige Patchdaten des ausgewälten Elements");
        view_.bringPatchWindowUp();
    }
}

int WallWindowPresenter::lblWand_KeyDown(int index, int keyCode, bool ctrl)
{
    constexpr int Space = 32, Left = 37, Up = 38, Right = 39, Down = 40;
    if (keyCode != Space && (keyCode < Left || keyCode > Down))
        return -1;
    const int count = model_.ElementCount;
    const int columns = model_.WallColumns;
    if (!model_.hasState(StateFlag::WallPresent) || index < 0 || index >= count || columns < 1)
        return -1;
    switch (keyCode) {
    case Space:
        lblWand_MouseDown(index, MouseButton::Left, ctrl);
        return index;
    case Left:
        return index % columns > 0 ? index - 1 : index;
    case Right:
        return index % columns < columns - 1 && index + 1 < count ? index + 1 : index;
    case Up:
        return index >= columns ? index - columns : index;
    default:
        return index + columns < count ? index + columns : index;
    }
}

void WallWindowPresenter::lblWand_DblClick(int /*index*/) { view_.setWallStatus(" Wassollas?"); }

}  // namespace tinctara
