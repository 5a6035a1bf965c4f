#pragma once

#include "files/ShowFiles.h"
#include "history/ShowEdits.h"
#include "windows/MainWindowView.h"

namespace tinctara {

// The main window's document commands, carried out by the show files and the
// sequencer's play command.
class ShowFileCommands : public ShowCommands {
public:
    explicit ShowFileCommands(ShowFileContext context) : context_(std::move(context)) {}

    // Loads and saves tell the undo history (none: nothing is told).
    void recordEdits(ShowEdits* edits) { edits_ = edits; }

    bool load(DocumentKind kind) override;
    bool save(DocumentKind kind) override;
    void play() override;

    // The windows show the documents an undo or redo put back, as after a load.
    void showRestored(const RestoredDocuments& restored);

private:
    ShowFileContext context_;
    ShowEdits* edits_ = nullptr;
};

}  // namespace tinctara
