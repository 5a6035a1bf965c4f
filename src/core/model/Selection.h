#pragma once

#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"

#include <functional>

namespace tinctara {

// The selection of wall elements and its function-key memories, shared by the
// wall window, the main window's Edit menu and every window that passes its
// function keys on. Indexes are element numbers - 1.
class Selection {
public:
    Selection(ShowModel& model, ShowView& view, UserInteraction& user) : model_(model), view_(view), user_(user) {}

    void selectSingle(int index);
    void addToSelection(int index);
    void deselect(int index);
    void selectAll();
    void invert();
    // Deselects every selected element, lowest first.
    void clear();
    // The number of the lowest selected element, 0 when none is.
    int firstSelected() const;
    // Gives every selected element its selected look again.
    void reMark();

    // F2..F12 (key codes 113..123): with Shift remember the selection, without
    // recall it. Other keys are ignored. True when the key was handled.
    bool functionKey(int keyCode, bool shift);

    // Remembering a selection edits the sequence, which saves the memories:
    // whoever records the edits wraps the remembering, told the key (F2..F12).
    using MemoryEdit = std::function<void(int keyCode, const std::function<void()>& remember)>;
    void wrapMemoryEdits(MemoryEdit wrap) { memoryEdit_ = std::move(wrap); }

private:
    bool cellExists(int index) const { return index >= 0 && index < model_.ElementCount; }
    void showCount();
    void remember(int slot);
    void recall(int slot);

    ShowModel& model_;
    ShowView& view_;
    UserInteraction& user_;
    MemoryEdit memoryEdit_;
};

}  // namespace tinctara
