#pragma once

#include "windows/DmxInputPresenter.h"

#include <string>
#include <utility>
#include <vector>

namespace tinctara::testing {

// The program's input as the "DMX Eingang" window reaches it: starts are
// recorded, a reason set in `refuse` refuses the next one; the frame, the
// senders and the counters are whatever the test puts there.
struct FakeDmxInput : DmxInputControl {
    std::string start(const InputSettings& settings) override
    {
        starts.push_back(settings);
        if (!refuse.empty()) {
            isRunning = false;
            return std::exchange(refuse, {});
        }
        now = settings;
        isRunning = settings.kind != InputKind::None;
        return {};
    }
    bool running() const override { return isRunning; }
    InputSettings current() const override { return now; }
    std::vector<std::string> addresses() const override { return {"127.0.0.1", "192.168.7.20"}; }
    const DmxInputFrame& frame() const override { return incoming; }
    std::vector<InputSourceRow> sources() const override { return senders; }
    InputCounters counters() const override { return counted; }
    void showOnWall(bool on) override { onWall = on; }
    bool showsOnWall() const override { return onWall; }

    std::vector<InputSettings> starts;
    std::string refuse;
    bool isRunning = false;
    InputSettings now;
    DmxInputFrame incoming;
    std::vector<InputSourceRow> senders;
    InputCounters counted;
    bool onWall = false;
};

}  // namespace tinctara::testing
