#pragma once

#include "control/ShowControl.h"
#include "windows/ClosedColourWindow.h"
#include "windows/PresenterShowWindows.h"
#include "model/Selection.h"
#include "model/ShowModel.h"
#include "platform/ShowView.h"
#include "remote/RemoteMessages.h"
#include "windows/SequencerPresenter.h"
#include "windows/WallWindowPresenter.h"

#include <string>
#include <string_view>

namespace tinctara {

// What the remote needs from the program beside what carrying out an action
// does: the title bar for the page's picture.
class RemoteHost : public ShowControlHost {
public:
    virtual std::string title() const = 0;
};

// The page's messages, carried out by ShowControl, and the page's picture of
// the show.
class RemotePresenter : public RemoteActions {
public:
    struct Services {
        ShowModel& model;
        ShowView& show;
        Selection& selection;
        WallWindowPresenter& wall;
        SequencerPresenter& sequencer;
        RemoteHost& host;
    };

    using Reply = RemoteReply;

    explicit RemotePresenter(Services services)
        : s_(services), windows_(services.wall, services.sequencer),
          control_({services.model, services.selection, windows_, services.host})
    {
    }

    Reply perform(std::string_view message) override;
    RemoteState state() const override;

private:
    Services s_;
    PresenterShowWindows windows_;
    ShowControl control_;
};

}  // namespace tinctara
