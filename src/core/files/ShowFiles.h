#pragma once

#include "model/ShowModel.h"
#include "platform/OutputTimer.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"

#include <string>

namespace tinctara {

// Everything a show-file command works with. The loaders and savers report to
// the user themselves; their outcome is for callers that must know how a
// command ended (the command-line front end, tests).
struct ShowFileContext {
    ShowModel& model;
    ShowView& view;
    UserInteraction& user;
    OutputTimer& timer;  // the sequence loaders restart playback through it
    std::string programFolder;
};

enum class LoadOutcome {
    Loaded,     // read to the end; the kind's current file name is the path read
    Cancelled,  // the user cancelled the dialog or a question; nothing was read
    Refused,    // not loaded in the present state (a sequence is playing)
    NotFound,   // the file could not be opened, not even in the fall-back folder
    Failed,     // a section failed, a check refused the data or the import had no wall;
                // what was read stays
};

enum class SaveOutcome {
    Saved,
    Cancelled,
    Refused,  // nothing to save
    Failed,   // nothing was written; the previous file is untouched
};

// The four kinds of show file.
LoadOutcome LoadConfiguration(ShowFileContext& context);
SaveOutcome SaveConfiguration(ShowFileContext& context);
LoadOutcome LoadScene(ShowFileContext& context);
SaveOutcome SaveScene(ShowFileContext& context);
LoadOutcome LoadSequence(ShowFileContext& context);
SaveOutcome SaveSequence(ShowFileContext& context);
LoadOutcome LoadColourTable(ShowFileContext& context);
SaveOutcome SaveColourTable(ShowFileContext& context);

// The sequencer's step field and the current step's blend and hold times, as
// after a load; an empty step field without a current step.
void ShowSequencerStep(const ShowModel& model, ShowView& view);

// Lays the colours of a SourceColumns x SourceRows wall, held in the first
// element slots of ElementColours, onto the wall as it stands. False when there
// is no wall to import onto (the user has been told).
bool ImportScene(ShowModel& model, ShowView& view, UserInteraction& user);

}  // namespace tinctara
