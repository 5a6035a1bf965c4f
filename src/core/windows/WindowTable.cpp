#include "windows/WindowTable.h"

namespace tinctara {

namespace {
enum Field { Left = 1, Top = 2, Width = 3, Height = 4, State = 5 };
}  // namespace

WindowPlacement storedPlacement(const ShowModel& model, int window)
{
    return {model.windowPosition(window, Left), model.windowPosition(window, Top), model.windowPosition(window, Width),
            model.windowPosition(window, Height), model.windowPosition(window, State)};
}

void storePlacement(ShowModel& model, int window, const WindowPlacement& placement, SlotFields fields)
{
    if (fields != SlotFields::Size) {
        model.windowPosition(window, Left) = placement.left;
        model.windowPosition(window, Top) = placement.top;
    }
    model.windowPosition(window, Width) = placement.width;
    model.windowPosition(window, Height) = placement.height;
    if (fields == SlotFields::PlaceAndState)
        model.windowPosition(window, State) = placement.state;
}

}  // namespace tinctara
