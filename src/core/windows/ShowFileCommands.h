#pragma once

#include "files/ShowFiles.h"
#include "windows/MainWindowView.h"

namespace tinctara {

// The main window's document commands, carried out by the show files and the
// sequencer's play command.
class ShowFileCommands : public ShowCommands {
public:
    explicit ShowFileCommands(ShowFileContext context) : context_(std::move(context)) {}

    bool load(DocumentKind kind) override;
    bool save(DocumentKind kind) override;
    void play() override;

private:
    ShowFileContext context_;
};

}  // namespace tinctara
