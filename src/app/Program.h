#pragma once

#include "QtPlatform.h"
#include "SharedPortBus.h"
#include "ShowViewHub.h"
#include "dmx/InterfaceRegistry.h"
#include "dmx/LoadedLibraries.h"
#include "files/MessageFile.h"
#include "engine/OutputEngine.h"
#include "model/Selection.h"
#include "model/ShowModel.h"
#include "net/UdpSocket.h"
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
class ProgramRemote;

struct ProgramSetup {
    std::string programFolder;
    SettingsStore* settings = nullptr;  // null: the user's QSettings
    SystemInfo* system = nullptr;       // null: Linux
    Clock* clock = nullptr;             // null: the system clock
    GridClock* gridClock = nullptr;     // null: the monotonic clock; the output grid runs on it
    std::string hardware;               // "direct", "virtual" or empty: hardware.ini decides
    RemoteServerFactory remoteServer;   // null: the web remote's module beside the program
};

// The composition root: the one show model and everything wired around it.
class Program {
public:
    explicit Program(ProgramSetup setup);
    ~Program();

    // The main window's load; false when the program must end at once.
    bool start();

    ShowModel& model() { return *model_; }
    MainWindow& mainWindow() { return *mainWindow_; }
    MainWindowPresenter& presenter() { return *presenter_; }
    OutputEngine& engine() { return *engine_; }
    QtUserInteraction& user() { return user_; }
    // AutoXmit: the sender's grid asks for each tick.
    DmxSender& outputTimer() { return sender_; }
    ShowViewHub& view() { return view_; }
    InterfaceRegistry& interfaces() { return *interfaces_; }
    PortIo& ports() { return ports_; }
    SettingsStore& settings() { return *setup_.settings; }
    LoadedUsbDmxLibrary& usbLibrary() { return usb_; }
    LoadedDmxCardLibrary& cardLibrary() { return cardLibrary_; }
    NetworkOutput& networkOutput() { return networkOutput_; }
    ShowCommands& showFiles() { return *showFiles_; }
    Selection& selection() { return *selection_; }
    WallWindowPresenter& wallPresenter() { return *wallPresenter_; }
    SequencerWindowState& sequencerState() { return sequencerState_; }
    SequencerPresenter& sequencer() { return *sequencer_; }
    DmxTestPresenter& dmxTest() { return *dmxTest_; }
    PagestorLibrary& pagestor() { return pagestor_; }
    Clock& clock() { return *setup_.clock; }
    PlayUnitTransfer& playUnit() { return *playUnit_; }
    QtOutputTimer& sendToMergerTimer() { return sendToMergerTimer_; }
    const std::string& programFolder() const { return setup_.programFolder; }
    // The web remote, off until started.
    ProgramRemote& remote() { return *remote_; }

private:
    ProgramSetup setup_;
    std::unique_ptr<ShowModel> model_ = std::make_unique<ShowModel>();
    QtUserInteraction user_;
    ShowViewHub view_;
    QtSettingsStore defaultSettings_;
    std::unique_ptr<LinuxSystemInfo> defaultSystem_;
    MessageTable messages_;
    SystemClock systemClock_;
    SharedPortBus ports_;
    LoadedUsbDmxLibrary usb_{libraryFolders(setup_.programFolder)};
    LoadedDmxCardLibrary cardLibrary_{libraryFolders(setup_.programFolder)};
    LoadedPagestorLibrary pagestor_{libraryFolders(setup_.programFolder)};
    // timSendToMerger: one step of the transfer to the play unit per tick.
    QtOutputTimer sendToMergerTimer_;
    std::unique_ptr<PlayUnitTransfer> playUnit_;
    // Declared before what uses it: an open sACN stream is ended when the program ends.
    UdpSocket networkSocket_;
    NetworkOutput networkOutput_{networkSocket_};
    // The output grid: declared after the devices it sends to, so that its
    // thread has ended before they go.
    SystemGridClock systemGridClock_;
    EventFdTickRequests tickRequests_;
    DmxSender sender_{SenderDevices{usb_, cardLibrary_, &networkOutput_},
                      setup_.gridClock ? setup_.gridClock : &systemGridClock_, &tickRequests_};
    std::unique_ptr<QSocketNotifier> tickNotifier_;
    std::unique_ptr<ShowFileCommands> showFiles_;
    std::unique_ptr<Selection> selection_;
    std::unique_ptr<WallWindowPresenter> wallPresenter_;
    std::unique_ptr<OutputEngine> engine_;
    std::unique_ptr<InterfaceRegistry> interfaces_;
    // The sequencer's and the DMX test window's state lives for the whole run:
    // the engine writes their fields whether or not the windows are open.
    // Declared before the main window, whose child windows detach from them
    // when they go.
    SequencerWindowState sequencerState_;
    std::unique_ptr<SequencerPresenter> sequencer_;
    std::unique_ptr<DmxTestPresenter> dmxTest_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<MainWindowPresenter> presenter_;
    // Last: its connections go before anything they reach.
    std::unique_ptr<ProgramRemote> remote_;
};

}  // namespace tinctara
