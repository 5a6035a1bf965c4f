#pragma once

#include "model/Selection.h"
#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"
#include "windows/MainWindowView.h"

namespace tinctara {

enum class MouseButton { Left, Right, Middle };

// The logic of the wall window frmWand: clicks on element cells, the function
// keys and the window's geometry in the window table.
class WallWindowPresenter {
public:
    WallWindowPresenter(ShowModel& model, ShowView& view, UserInteraction& user, Selection& selection)
        : model_(model), view_(view), user_(user), selection_(selection)
    {
    }

    void Form_Load();
    void Form_Activate();
    void Form_Resize(const WindowPlacement& placement);
    void Form_Unload(const WindowPlacement& placement);
    // True when the key was one of the selection memories.
    bool Form_KeyDown(int keyCode, bool shift);

    void lblWand_MouseDown(int index, MouseButton button, bool ctrl);
    void lblWand_DblClick(int index);
    // A key on the cell that has the focus: the arrow keys move the focus
    // within the grid, Space acts as a click and Ctrl+Space as a Ctrl-click.
    // Returns the cell that has the focus afterwards, or -1 when the key is
    // not one of these.
    int lblWand_KeyDown(int index, int keyCode, bool ctrl);

    // Where the window stands, from the window table (window 7).
    WindowPlacement storedPlacement() const;

private:
    ShowModel& model_;
    ShowView& view_;
    UserInteraction& user_;
    Selection& selection_;
};

}  // namespace tinctara
