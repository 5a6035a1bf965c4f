#pragma once

#include "model/ShowModel.h"
#include "windows/MainWindowView.h"

namespace tinctara {

// What a store writes into a window's slot.
enum class SlotFields {
    Size,           // width and height: a resize keeps the stored corner
    Place,          // left, top, width and height; the state is left as it is
    PlaceAndState,  // all five, for the windows that keep a state (main window, effects)
};

// A window's slot of the window table WindowPositions ([WINDOWSPOS]), by its
// window number (WindowNumber): the place in twips and the state.
WindowPlacement storedPlacement(const ShowModel& model, int window);
void storePlacement(ShowModel& model, int window, const WindowPlacement& placement,
                    SlotFields fields = SlotFields::Place);

}  // namespace tinctara
