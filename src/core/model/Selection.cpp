#include "model/Selection.h"

#include "model/ShowOperations.h"

namespace tinctara {

namespace {
constexpr int FirstMemoryKey = 113;  // F2
constexpr int LastMemoryKey = 123;   // F12
constexpr int MemoryKeyBase = 112;   // slot = key code - 112
}  // namespace

void Selection::showCount()
{
    view_.setWallStatus(" Es wurden " + std::to_string(model_.SelectionCount) + " Elemente ausgewählt");
}

void Selection::selectSingle(int index)
{
    if (!cellExists(index))
        return;
    model_.SelectionFlags[index] = 1;
    view_.showElementSelected(index, true);
    model_.SelectionCount = 1;
    view_.setWallStatus(" Es wurde Element Nr " + std::to_string(index + 1) + " ausgewählt. ");
}

void Selection::addToSelection(int index)
{
    if (!cellExists(index))
        return;
    model_.SelectionFlags[index] = 1;
    view_.showElementSelected(index, true);
    ++model_.SelectionCount;
    showCount();
}

void Selection::deselect(int index)
{
    // A cell that does not exist cannot be repainted; the user may retry or leave it.
    while (!cellExists(index)) {
        if (user_.messageBox("Fehler beim Makieren.", "", MessageButtons::RetryCancel, MessageIcon::None) !=
            MessageAnswer::Retry)
            return;
        model_.SelectionCount = 1;
    }
    ShowElementColour(model_, view_, index);
    view_.showElementSelected(index, false);
    if (model_.SelectionFlags[index] == 1 && model_.SelectionCount > 0)
        --model_.SelectionCount;
    model_.SelectionFlags[index] = 0;
    if (model_.SelectionCount == 1)
        view_.setWallStatus(" Es wurde Element Nr " + std::to_string(firstSelected()) + " ausgewählt. ");
    else
        showCount();
}

void Selection::selectAll()
{
    for (int index = 0; index < model_.ElementCount; ++index)
        if (model_.SelectionFlags[index] != 1)
            addToSelection(index);
}

void Selection::invert()
{
    for (int index = 0; index < model_.ElementCount; ++index) {
        if (model_.SelectionFlags[index] == 1)
            deselect(index);
        else
            addToSelection(index);
    }
}

void Selection::clear()
{
    for (int index = 0; index < model_.ElementCount; ++index)
        if (model_.SelectionFlags[index] == 1)
            deselect(index);
}

int Selection::firstSelected() const
{
    for (int index = 0; index < ElementSlots; ++index)
        if (model_.SelectionFlags[index] == 1)
            return index + 1;
    return 0;
}

void Selection::reMark()
{
    for (int index = 0; index < model_.ElementCount; ++index)
        if (model_.SelectionFlags[index] == 1)
            view_.showElementSelected(index, true);
}

bool Selection::functionKey(int keyCode, bool shift)
{
    if (keyCode < FirstMemoryKey || keyCode > LastMemoryKey)
        return false;
    const int slot = keyCode - MemoryKeyBase;
    if (shift && memoryEdit_)
        memoryEdit_(keyCode, [this, slot] { remember(slot); });
    else if (shift)
        remember(slot);
    else
        recall(slot);
    return true;
}

void Selection::remember(int slot)
{
    for (int index = 0; index < ElementSlots; ++index)
        model_.SelectionMemory[ShowModel::selectionMemoryIndex(index + 1, slot)] =
            index < model_.ElementCount ? model_.SelectionFlags[index] : 0;
    // The memories are stored with the sequence.
    model_.setDocument(DocumentFlag::SequenceChanged | DocumentFlag::SceneChanged);
    view_.setWallStatus("Selectionen gemerkt .");
}

void Selection::recall(int slot)
{
    // Slots beyond the wall (from a file made for a larger wall) have no cell
    // to mark; they are left alone.
    for (int index = 0; index < model_.ElementCount; ++index) {
        if (model_.SelectionMemory[ShowModel::selectionMemoryIndex(index + 1, slot)] == 1) {
            deselect(index);
            addToSelection(index);
        } else if (model_.SelectionFlags[index] == 1) {
            deselect(index);
        }
    }
}

}  // namespace tinctara
