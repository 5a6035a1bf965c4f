#pragma once

#include "input/DmxInput.h"
#include "model/InputPicture.h"
#include "windows/DmxInputPresenter.h"

#include <memory>

class QSocketNotifier;

namespace tinctara {

class Program;

// A desk's universe in the program: the service read on the UI thread when
// its socket is readable, its sources expired before every tick, its frame
// handed to the output engine for merging, and its picture on the wall while
// the "DMX Eingang" window asks for it.
class ProgramInput : public DmxInputControl {
public:
    explicit ProgramInput(Program& program);
    ~ProgramInput() override;

    // Starts what the per-user settings say, or `forThisRun` (tinctara
    // --input), which is not stored. A start that fails says why on standard
    // error and the program goes on without input.
    void startFromSettings(const InputSettings* forThisRun = nullptr);
    // Right before every tick: sources that fell silent are dropped.
    void beforeTick() { service_.expire(); }
    // After every tick, before the wall paints: the input's picture again, as
    // the tick may have changed the patch's colours under it.
    void afterTick();

    // For recording the input: its picture through the patch turned around,
    // as of now.
    const WallPicture& picture();

    // DmxInputControl
    std::string start(const InputSettings& settings) override;
    bool running() const override { return service_.running(); }
    InputSettings current() const override { return service_.current(); }
    std::vector<std::string> addresses() const override;
    const DmxInputFrame& frame() const override { return service_.frame(); }
    std::vector<InputSourceRow> sources() const override { return service_.sources(); }
    InputCounters counters() const override { return service_.counters(); }
    void showOnWall(bool on) override;
    bool showsOnWall() const override { return onWall_; }

private:
    void watch(int descriptor);
    void paintWall();

    Program& program_;
    DmxInputService service_;
    std::unique_ptr<QSocketNotifier> notifier_;  // on the service's socket while it runs
    WallPicture picture_{};
    bool onWall_ = false;
    std::uint64_t paintedVersion_ = 0;
};

}  // namespace tinctara
