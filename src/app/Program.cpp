#include "Program.h"

#include "windows/EffectsPresenter.h"

#include "Accessibility.h"
#include "AccessibleMenus.h"
#include "MainWindow.h"
#include "MusicPreview.h"
#include "ProgramControl.h"
#include "ProgramInput.h"
#include "ProgramMusic.h"
#include "ProgramRemote.h"
#include "ProgramTimecode.h"

namespace tinctara {

Program::Program(ProgramSetup setup) : setup_(std::move(setup))
{
    if (!setup_.system) {
        defaultSystem_ = std::make_unique<LinuxSystemInfo>();
        setup_.system = defaultSystem_.get();
    }
    if (!setup_.settings)
        setup_.settings = &defaultSettings_;
    if (!setup_.clock)
        setup_.clock = &systemClock_;
    // The process's one port bus, set up for this program folder before any
    // port is touched.
    PortIoConfigure(setup_.programFolder.c_str(), setup_.hardware.c_str());

    static const bool accessibilityInstalled = (installAutomationMenuAccessibility(), installTitleChangeEvents(), true);
    (void)accessibilityInstalled;
    output_ = std::make_unique<OutputStack>(OutputStackSetup{*model_, view_, user_, messages_, ports_, *setup_.clock,
                                                             setup_.programFolder, setup_.settings,
                                                             setup_.gridClock ? setup_.gridClock : &systemGridClock_});
    DmxSender& sender = output_->sender();
    showFiles_ =
        std::make_unique<ShowFileCommands>(ShowFileContext{*model_, view_, user_, sender, setup_.programFolder});
    selection_ = std::make_unique<Selection>(*model_, view_, user_);
    wallPresenter_ = std::make_unique<WallWindowPresenter>(*model_, view_, user_, *selection_);
    mainWindow_ = std::make_unique<MainWindow>(*this);
    showFiles_->recordEdits(&edits_);
    edits_.onChanged([this] { mainWindow_->showUndoEntries(); });
    edits_.onRestored([this](const RestoredDocuments& restored) { showFiles_->showRestored(restored); });
    user_.setParentWindow(mainWindow_.get());
    view_.attachMainWindow(mainWindow_.get());
    presenter_ = std::make_unique<MainWindowPresenter>(MainWindowServices{
        *model_, view_, user_, sender, *mainWindow_, *showFiles_, output_->interfaces(), *setup_.settings,
        *setup_.system, messages_, setup_.programFolder, [this] { output_->engine().AutoXmit(); }});
    presenter_->recordEdits(&edits_);
    sequencer_ = std::make_unique<SequencerPresenter>(
        SequencerPresenter::Services{*model_, view_, user_, sender, output_->engine(), *presenter_, *selection_, ports_,
                                     *setup_.settings, *setup_.clock});
    sequencer_->recordEdits(&edits_);
    preview_ = std::make_unique<MusicPreview>(*model_, *sequencer_);
    dmxTest_ = std::make_unique<DmxTestPresenter>(*model_, user_, *selection_);
    output_->engine().watchChannels(dmxTest_->monitoredChannels());
    view_.attachWindowStates(&sequencerState_, dmxTest_.get());
    playUnit_ = std::make_unique<PlayUnitTransfer>(
        PlayUnitTransfer::Services{*model_, view_, user_, sender, sendToMergerTimer_, ports_});
    QObject::connect(&sendToMergerTimer_.timer(), &QTimer::timeout, [this] { playUnit_->timSendToMerger_Timer(); });
    remote_ = std::make_unique<ProgramRemote>(*this, setup_.remoteServer);
    control_ = std::make_unique<ProgramControl>(*this);
    input_ = std::make_unique<ProgramInput>(*this);
    music_ = std::make_unique<ProgramMusic>(*this);
    timecode_ = std::make_unique<ProgramTimecode>(*this, setup_.artNetTimecodePort);
    sequencer_->watchInput(&input_->frame());
    sequencer_->watchTimecode(timecode_.get());
    // The sender's thread asks for each tick through an eventfd; the tick runs here,
    // on the UI thread, between window events, and the wall shows it in the same pass.
    // Connected last: the handler uses every part made above.
    tickNotifier_ = std::make_unique<QSocketNotifier>(output_->tickRequests().fd(), QSocketNotifier::Read);
    QObject::connect(tickNotifier_.get(), &QSocketNotifier::activated, [this] {
        output_->tickRequests().take();
        view_.collectWallChanges();
        input_->beforeTick();
        music_->beforeTick();
        if (timecode_->active())
            timecode_->serveRequest(preview_->ticksNow());
        else
            output_->engine().RequestedTicks(preview_->ticksNow());
        input_->afterTick();
        sequencer_->afterTick();
        view_.paintChangesNow();
        control_->showChanged();
    });
}

Program::~Program()
{
    // No tick may run while the parts it uses go: stopping an audio input
    // or a server can turn the event loop once more.
    tickNotifier_.reset();
    preview_.reset();
    timecode_.reset();
    control_.reset();
    remote_.reset();
    output_->sender().setEnabled(false);
    sendToMergerTimer_.setEnabled(false);
}

bool Program::start(const InputSettings* input)
{
    // Said once: a port backend that cannot reach the ports acts as an empty bus.
    char problem[1024];
    if (PortIoProblem(problem, sizeof problem) > 0)
        user_.messageBox(problem, "TINCTARA", MessageButtons::Ok, MessageIcon::Exclamation);
    if (!presenter_->Form_Load())
        return false;
    // The effects window keeps its open state in its slot of the window table.
    if (EffectsPresenter::reopensAtStart(*model_))
        mainWindow_->openEffectsWindow();
    remote_->startFromSettings();
    control_->startFromSettings();
    input_->startFromSettings(input);
    music_->startFromSettings();
    timecode_->startFromSettings();
    return true;
}

}  // namespace tinctara
