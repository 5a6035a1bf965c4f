#pragma once

#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"

namespace tinctara {

enum class WallBuildKind {
    NewOrEdited,        // the new-wall dialog: marks the documents as new and changed
    FromConfiguration,  // a loaded configuration: the documents keep their marks
};

// Builds the wall of WallColumns x WallRows elements: removes the old cells,
// creates one cell per element row by row, records positions, gives every
// element the default patch and applies the channel-count rule. Colours,
// correction and selection keep their contents.
void BuildWall(ShowModel& model, ShowView& view, UserInteraction& user, WallBuildKind kind);

// Lays the wall's cells out anew for WallColumns x WallRows (after a build or
// a configuration put back): the cells, the element positions, the window's
// size. Patch, colours and selection keep their contents.
void LayOutWall(ShowModel& model, ShowView& view);

// Removes the wall's cells from the last to the first and clears WallPresent.
void RemoveWall(ShowModel& model, ShowView& view);

// The channel-count rule applied after every build.
void ApplyChannelCountRule(ShowModel& model, UserInteraction& user);

}  // namespace tinctara
