#pragma once

#include "model/InputPicture.h"
#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"

namespace tinctara {

// The colour an element is shown in: white light added to each screen primary,
// each sum capped at 255.
Rgb displayColour(const ShowModel& model, int index);
// The same for a picture in ElementColours' layout, which the wall may show instead.
Rgb displayColour(const WallPicture& colours, int index);

// Shared operations every window may call.
void ShowElementColour(const ShowModel& model, ShowView& view, int index);
void ShowAllElementColours(const ShowModel& model, ShowView& view);
void TestModeOff(ShowModel& model, ShowView& view);
void DisableChildWindows(const ShowModel& model, ShowView& view);
void EnableChildWindows(const ShowModel& model, ShowView& view);
void ShowBusy(UserInteraction& user);
void ShowIdle(UserInteraction& user);

}  // namespace tinctara
