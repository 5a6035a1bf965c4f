#pragma once

#include "QtPlatform.h"
#include "SharedPortBus.h"
#include "ShowViewHub.h"
#include "files/MessageFile.h"
#include "history/ShowEdits.h"
#include "input/DmxInput.h"
#include "engine/OutputStack.h"
#include "model/Selection.h"
#include "model/ShowModel.h"
#include "platform/SystemClock.h"
#include "platform/SystemGridClock.h"
#include "remote/RemoteOnDemand.h"
#include "transfer/Pagestor.h"
#include "transfer/PlayUnitTransfer.h"
#include "windows/MainWindowPresenter.h"
#include "windows/ShowFileCommands.h"
#include "windows/WallWindowPresenter.h"
#include "windows/DmxTestPresenter.h"
#include "windows/SequencerPresenter.h"
#include "windows/SequencerWindowState.h"

#include <QSocketNotifier>

#include <memory>
#include <string>

namespace tinctara {

class MainWindow;
class MusicPreview;
class ProgramControl;
class ProgramInput;
class ProgramMusic;
class ProgramRemote;
class ProgramTimecode;

struct ProgramSetup {
    std::string programFolder;
    SettingsStore* settings = nullptr;        // null: the user's QSettings
    SystemInfo* system = nullptr;             // null: Linux
    Clock* clock = nullptr;                   // null: the system clock
    GridClock* gridClock = nullptr;           // null: the monotonic clock; the output grid runs on it
    std::string hardware;                     // "direct", "virtual" or empty: hardware.ini decides
    RemoteServerFactory remoteServer;         // null: the web remote's module beside the program
    std::uint16_t artNetTimecodePort = 6454;  // Art-Net timecode heard and sent (tests: a free port)
};

// The composition root: the one show model and everything wired around it.
class Program {
public:
    explicit Program(ProgramSetup setup);
    ~Program();

    // The main window's load; false when the program must end at once.
    // `input`: the DMX input for this run instead of the stored one.
    bool start(const InputSettings* input = nullptr);

    ShowModel& model() { return *model_; }
    // Undo and redo of every change to the show's documents.
    ShowEdits& edits() { return edits_; }
    MainWindow& mainWindow() { return *mainWindow_; }
    MainWindowPresenter& presenter() { return *presenter_; }
    OutputEngine& engine() { return output_->engine(); }
    QtUserInteraction& user() { return user_; }
    // AutoXmit: the sender's grid asks for each tick.
    DmxSender& outputTimer() { return output_->sender(); }
    ShowViewHub& view() { return view_; }
    InterfaceRegistry& interfaces() { return output_->interfaces(); }
    PortIo& ports() { return ports_; }
    SettingsStore& settings() { return *setup_.settings; }
    LoadedUsbDmxLibrary& usbLibrary() { return output_->usb(); }
    LoadedDmxCardLibrary& cardLibrary() { return output_->cardLibrary(); }
    NetworkOutput& networkOutput() { return output_->network(); }
    const UdpSocket& networkSocket() const { return output_->networkSocket(); }
    ShowCommands& showFiles() { return *showFiles_; }
    Selection& selection() { return *selection_; }
    WallWindowPresenter& wallPresenter() { return *wallPresenter_; }
    SequencerWindowState& sequencerState() { return sequencerState_; }
    SequencerPresenter& sequencer() { return *sequencer_; }
    DmxTestPresenter& dmxTest() { return *dmxTest_; }
    // "Vorschau mit Musik": a song with the sequence, in step.
    MusicPreview& preview() { return *preview_; }
    PagestorLibrary& pagestor() { return pagestor_; }
    Clock& clock() { return *setup_.clock; }
    PlayUnitTransfer& playUnit() { return *playUnit_; }
    QtOutputTimer& sendToMergerTimer() { return sendToMergerTimer_; }
    const std::string& programFolder() const { return setup_.programFolder; }
    // The web remote, off until started.
    ProgramRemote& remote() { return *remote_; }
    // OSC and MIDI, off until started.
    ProgramControl& control() { return *control_; }
    // The DMX input, off until started.
    ProgramInput& input() { return *input_; }
    // Live audio into the tick, off until a device is chosen.
    ProgramMusic& music() { return *music_; }
    // Timecode followed and sent, off until a source or sending is chosen.
    ProgramTimecode& timecode() { return *timecode_; }

private:
    ProgramSetup setup_;
    std::unique_ptr<ShowModel> model_ = std::make_unique<ShowModel>();
    ShowEdits edits_{*model_};
    QtUserInteraction user_;
    ShowViewHub view_;
    QtSettingsStore defaultSettings_;
    std::unique_ptr<LinuxSystemInfo> defaultSystem_;
    MessageTable messages_;
    SystemClock systemClock_;
    SharedPortBus ports_;
    LoadedPagestorLibrary pagestor_{libraryFolders(setup_.programFolder)};
    // timSendToMerger: one step of the transfer to the play unit per tick.
    QtOutputTimer sendToMergerTimer_;
    std::unique_ptr<PlayUnitTransfer> playUnit_;
    SystemGridClock systemGridClock_;
    // Devices, sender, engine and interface registry; an open sACN stream is
    // ended when the program ends.
    std::unique_ptr<OutputStack> output_;
    std::unique_ptr<QSocketNotifier> tickNotifier_;
    std::unique_ptr<ShowFileCommands> showFiles_;
    std::unique_ptr<Selection> selection_;
    std::unique_ptr<WallWindowPresenter> wallPresenter_;
    // The sequencer's and the DMX test window's state lives for the whole run:
    // the engine writes their fields whether or not the windows are open.
    // Declared before the main window, whose child windows detach from them
    // when they go.
    SequencerWindowState sequencerState_;
    std::unique_ptr<SequencerPresenter> sequencer_;
    std::unique_ptr<MusicPreview> preview_;
    std::unique_ptr<DmxTestPresenter> dmxTest_;
    // Before the main window: the "DMX Eingang" window reaches it until it goes.
    std::unique_ptr<ProgramInput> input_;
    // Before the main window as well: the options window reaches it until it goes.
    std::unique_ptr<ProgramMusic> music_;
    // And the options window reaches this one too.
    std::unique_ptr<ProgramTimecode> timecode_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<MainWindowPresenter> presenter_;
    // Last: its connections go before anything they reach.
    std::unique_ptr<ProgramRemote> remote_;
    std::unique_ptr<ProgramControl> control_;
};

}  // namespace tinctara
