#pragma once

#include "control/ShowControl.h"
#include "support/EngineHarness.h"
#include "support/MainWindowFakes.h"
#include "support/ScriptedClock.h"
#include "windows/ClosedColourWindow.h"
#include "windows/PresenterShowWindows.h"

#include <string>

namespace tinctara::testing {

// A 4 x 4 wall whose selection memory K holds the elements K and K + 2, stored
// with Shift+F(K+1) as the user would; element 16 is selected. Show actions go
// through the real presenters, the colour window closed.
struct ControlHarness : EngineHarness, ShowControlHost {
    static constexpr int F1 = 112;

    ControlHarness()
    {
        buildWall(4, 4);
        for (int memory = 1; memory <= SelectionMemories; ++memory) {
            selection.clear();
            wall.lblWand_MouseDown(memory - 1, MouseButton::Left, true);
            wall.lblWand_MouseDown(memory + 1, MouseButton::Left, true);
            wall.Form_KeyDown(F1 + memory, true);
        }
        selection.clear();
        wall.lblWand_MouseDown(15, MouseButton::Left, false);
        model.clearDocument(DocumentFlag::SequenceChanged | DocumentFlag::SceneChanged);
    }

    bool questionOpen() const override { return question; }
    std::string applyColour(const std::array<std::uint8_t, Planes>& rgbw) override
    {
        return closedColour.apply(rgbw, model);
    }
    std::string wallStatus() const override { return view.wallStatus.empty() ? "" : view.wallStatus.back(); }
    std::string sequencerStatus() const override { return view.lastLabel(); }
    bool tapTempo() override
    {
        engine.music().tap(nowMs);
        return true;
    }
    ShowReply memory(int number) { return control.perform({ShowAction::Kind::Memory, number, {}, {}}); }

    bool question = false;
    std::int64_t nowMs = 0;  // the time of a tapped tempo
    FakeMainWindowCommands confirm;
    Selection selection{model, view, user};
    WallWindowPresenter wall{model, view, user, selection};
    FakeSettingsStore settings;
    ScriptedClock clock;
    SequencerPresenter sequencer{{model, view, user, timer, engine, confirm, selection, bus, settings, clock}};
    ClosedColourWindow closedColour{{model, view, user, selection}};
    PresenterShowWindows windows{wall, sequencer};
    ShowControl control{{model, selection, windows, *this}};
};

}  // namespace tinctara::testing
