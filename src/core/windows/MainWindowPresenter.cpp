#include "windows/MainWindowPresenter.h"

#include "dmx/OutputPort.h"
#include "files/SettingsFile.h"
#include "files/ShowPaths.h"
#include "model/ShowOperations.h"
#include "model/WallBuilder.h"
#include "text/Text.h"
#include "windows/WindowTable.h"

#include <cmath>
#include <vector>

namespace tinctara {

namespace {

// The kinds the init command searches and the exit closes: the library
// cards (4 and 5) only outside NT.
std::vector<InterfaceKind> searchedKinds(bool nt)
{
    std::vector<InterfaceKind> kinds{Interface::IsaCard7301AB, Interface::IsaCard7301C, Interface::UsbInterface};
    if (!nt)
        kinds.insert(kinds.end(), {Interface::PcmciaCard8301, Interface::PciCard7304});
    return kinds;
}

constexpr const char* SecurityTitle = "Security";
constexpr const char* SaveOptionsTitle = "SAVE OPTIONS";
constexpr const char* SettingsLoadFailed = "Fehler beim Laden der TINCTARA.INI";

}  // namespace

MainWindowPresenter::MainWindowPresenter(MainWindowServices services)
    : services_(std::move(services)), model_(services_.model)
{
}

void MainWindowPresenter::setTitle(const std::string& text) { services_.view.setTitle(model_.OsName + text); }

bool MainWindowPresenter::checkOsVersion()
{
    const std::uint32_t version = services_.system.osVersion();
    const unsigned major = version & 0xFF;
    const unsigned minor = (version >> 8) & 0xFF;
    if (major < 4) {
        services_.user.messageBox("Das Programm ist mit dieser Windows Version nicht lauffähig", "", MessageButtons::Ok,
                                  MessageIcon::None);
        return false;
    }
    if (major == 4) {
        model_.OsIsNt = 0;
        model_.OsName = minor == 10 ? "Windows 98SE" : "Windows 9x";
    } else if (major == 5) {
        model_.OsIsNt = -1;
        if (minor == 0)
            model_.OsName = "Windows 2000";
        else if (minor == 1)
            model_.OsName = "Windows XP";
    }
    return true;
}

bool MainWindowPresenter::Form_Load()
{
    services_.interfaces.InterfaceStatusText[Interface::NoInterface] = "  No Interface selected";
    if (!checkOsVersion())
        return false;
    ShowBusy(services_.user);
    model_.VersionText = "V 1.21";
    GetMsgFile(services_.messages, services_.programFolder);
    setTitle(": QOR DMX TINCTARA  Ver " + model_.VersionText);
    initialiseAtStartUp(model_);
    LoadINI();
    ShowIdle(services_.user);
    startInterface();
    setTitle(": " + services_.interfaces.statusText(model_.InterfaceType));
    return true;
}

void MainWindowPresenter::startInterface()
{
    const double stored = roundHalfEven(numericValue(services_.settings.read("TINCTARA", "Interface", "Type", "0")));
    // A stored kind the program does not know selects none, rather than
    // reaching past the interface tables.
    const InterfaceKind type = kindOfNumber(static_cast<long long>(stored));
    model_.InterfaceType = type;
    services_.interfaces.ActiveInterface = type;
    if (type == Interface::NoInterface)
        return;
    services_.window.setDmxStartStopVisible(portFor(type).takesTimingBlock());
    services_.interfaces.OpenPort(type);
    if (!services_.interfaces.isPresent(type))
        model_.InterfaceType = Interface::NoInterface;
    else
        services_.timer.setEnabled(true);
}

void MainWindowPresenter::LoadINI()
{
    const SettingsFileSections sections = readSettingsFile(settingsPath());
    if (sections.unreadable)
        services_.user.messageBox(SettingsLoadFailed, "", MessageButtons::Ok, MessageIcon::None);

    if (sections.dmxTiming.values)
        model_.DmxTiming = *sections.dmxTiming.values;
    if (sections.dmxTiming.failed)
        services_.user.messageBox("Fehler beim laden der TINCTARA.ini im Abschnitt [DMXINI]", "", MessageButtons::Ok,
                                  MessageIcon::None);
    model_.TimingBlockPending = 1;

    if (sections.options.values) {  // a failure here is passed over
        SavedOptions = sections.options.values->savedOptions;
        model_.WallZoom = sections.options.values->wallZoom;
    }

    if (sections.files.values) {
        const auto& names = *sections.files.values;
        const std::string& folder = services_.programFolder;
        model_.ConfigFileName = showInOwnFolder(names[0], folder, ShowFolder::Configuration);
        model_.SceneFileName = showInOwnFolder(names[1], folder, ShowFolder::Scene);
        model_.SequenceFileName = showInOwnFolder(names[2], folder, ShowFolder::Sequence);
        model_.ColourTableFileName = showInOwnFolder(names[3], folder, ShowFolder::ColourTable);
    } else if (sections.files.failed) {
        model_.ConfigFileName.clear();
        model_.SceneFileName.clear();
        model_.SequenceFileName.clear();
        model_.ColourTableFileName.clear();
    }

    if (sections.windowPositions.values)
        model_.WindowPositions = *sections.windowPositions.values;
    if (sections.windowPositions.failed)
        services_.user.messageBox("Fehler beim laden der TINCTARA.ini im Abschnitt [WINDOWSPOS]", "",
                                  MessageButtons::Ok, MessageIcon::None);

    reloadLastFiles();

    services_.window.applyPlacement(storedPlacement(model_, WindowNumber::Main));

    struct Reopen {
        std::uint32_t flag;
        WindowKind window;
    };
    static constexpr Reopen reopenOrder[] = {
        {StateFlag::WallWindowOpen, WindowKind::Wall},           {StateFlag::ColourWindowOpen, WindowKind::Colour},
        {StateFlag::SequencerWindowOpen, WindowKind::Sequencer}, {StateFlag::DmxTestWindowOpen, WindowKind::DmxTest},
        {StateFlag::PatchWindowOpen, WindowKind::Patch},         {StateFlag::OptionsWindowOpen, WindowKind::Options},
    };
    for (const auto& entry : reopenOrder)
        if (SavedOptions & entry.flag)
            services_.window.openWindow(entry.window);
}

void MainWindowPresenter::reloadLastFiles()
{
    auto loadSilently = [this](DocumentKind kind) {
        model_.setState(StateFlag::SilentFileOp);
        const bool loaded = services_.commands.load(kind);
        model_.clearState(StateFlag::SilentFileOp);
        return loaded;
    };

    if (!model_.ConfigFileName.empty())
        loadSilently(DocumentKind::Config);

    if (!(SavedOptions & StateFlag::AutoLoad))
        return;
    model_.setState(StateFlag::AutoLoad);
    if (SavedOptions & StateFlag::AutoChannelCount)
        model_.setState(StateFlag::AutoChannelCount);
    if (!model_.SceneFileName.empty() && model_.SequenceFileName.empty()) {
        if (!loadSilently(DocumentKind::Scene))
            model_.SceneFileName.clear();
    }
    if (!model_.SequenceFileName.empty())
        loadSilently(DocumentKind::Sequence);  // a failure here is passed over
    if (!model_.ColourTableFileName.empty()) {
        if (!loadSilently(DocumentKind::ColourTable)) {
            model_.ColourTableFileName.clear();
            services_.user.messageBox(SettingsLoadFailed, "", MessageButtons::Ok, MessageIcon::None);
        }
    }
    if (SavedOptions & StateFlag::SequencePlaying)
        services_.commands.play();
}

bool MainWindowPresenter::SaveINI()
{
    if (writeSettingsFile(settingsPath(), model_, closingStateFlags_))
        return true;
    services_.user.messageBox("Speichern wurde abgebrochen.", "", MessageButtons::Ok, MessageIcon::None);
    return false;
}

bool MainWindowPresenter::saveSilently(DocumentKind kind)
{
    model_.setState(StateFlag::SilentFileOp);
    const bool saved = services_.commands.save(kind);
    model_.clearState(StateFlag::SilentFileOp);
    return saved;
}

bool MainWindowPresenter::confirmConfig()
{
    using namespace DocumentFlag;
    if (model_.hasDocument(ConfigNew)) {
        const auto answer =
            services_.user.messageBox("Sie haben eine neue Wand erstellt. Wollen Sie sie jetzt abspeichern?",
                                      SecurityTitle, MessageButtons::YesNoCancel, MessageIcon::None);
        if (answer == MessageAnswer::Yes)
            services_.commands.save(DocumentKind::Config);
        else if (answer == MessageAnswer::Cancel)
            return true;
    }
    if (model_.ConfigFileName.empty() || !model_.hasDocument(ConfigChanged))
        return false;
    const auto answer = services_.user.messageBox(
        model_.ConfigFileName +
            "\rSie haben die Konfiguration der Wand verändert. Wollen Sie die veränderten Werte in Ihre Datei "
            "speichern?",
        SecurityTitle, MessageButtons::YesNoCancel, MessageIcon::None);
    if (answer == MessageAnswer::Yes)
        saveSilently(DocumentKind::Config);
    return answer == MessageAnswer::Cancel;
}

bool MainWindowPresenter::confirmScene()
{
    using namespace DocumentFlag;
    const bool sequencePresent = model_.hasState(StateFlag::SequencePresent);
    if (model_.hasDocument(SceneNew) && model_.hasDocument(SceneChanged) && !sequencePresent) {
        const auto answer =
            services_.user.messageBox("Sie haben eine neue Scene erstellt. Wollen Sie sie jetzt abspeichern?",
                                      "TINCTARA Security", MessageButtons::YesNoCancel, MessageIcon::None);
        if (answer == MessageAnswer::Yes)
            services_.commands.save(DocumentKind::Scene);
        else if (answer == MessageAnswer::Cancel)
            return true;
    }
    if (model_.SceneFileName.empty() || !model_.hasDocument(SceneChanged) || sequencePresent)
        return false;
    const auto answer = services_.user.messageBox(
        model_.SceneFileName +
            "\rSie haben die Scene verändert. Wollen Sie die veränderten Werte in Ihre Datei speichern?",
        SecurityTitle, MessageButtons::YesNoCancel, MessageIcon::None);
    if (answer == MessageAnswer::Yes)
        saveSilently(DocumentKind::Scene);
    return answer == MessageAnswer::Cancel;
}

bool MainWindowPresenter::confirmColourTable()
{
    using namespace DocumentFlag;
    if (model_.hasDocument(ColourTableNew) && model_.hasDocument(ColourTableChanged)) {
        const auto answer =
            services_.user.messageBox("Sie haben eine neue Farbtabelle erstellt. Wollen Sie sie jetzt abspeichern?",
                                      SecurityTitle, MessageButtons::YesNoCancel, MessageIcon::None);
        if (answer == MessageAnswer::Yes)
            services_.commands.save(DocumentKind::ColourTable);
        else if (answer == MessageAnswer::Cancel)
            return true;
    }
    if (model_.ColourTableFileName.empty() || !model_.hasDocument(ColourTableChanged))
        return false;
    const auto answer = services_.user.messageBox(
        model_.ColourTableFileName +
            "\rSie haben die Farbtabelle verändert. Wollen Sie die veränderten Werte in Ihre Datei speichern?",
        SecurityTitle, MessageButtons::YesNoCancel, MessageIcon::None);
    if (answer == MessageAnswer::Yes)
        saveSilently(DocumentKind::ColourTable);
    return answer == MessageAnswer::Cancel;
}

bool MainWindowPresenter::confirmSequence()
{
    using namespace DocumentFlag;
    const bool sequencePresent = model_.hasState(StateFlag::SequencePresent);
    if (model_.hasDocument(SceneChanged) && model_.hasDocument(SequenceNew) && model_.hasDocument(SequenceChanged) &&
        sequencePresent) {
        const auto answer =
            services_.user.messageBox("Sie haben eine neue Sequenz erstellt. Wollen Sie sie jetzt abspeichern?",
                                      SaveOptionsTitle, MessageButtons::YesNoCancel, MessageIcon::None);
        if (answer == MessageAnswer::Yes)
            services_.commands.save(DocumentKind::Sequence);
        else if (answer == MessageAnswer::Cancel)
            return true;
        else
            model_.clearDocument(SceneChanged | SequenceNew | SequenceChanged);
    }
    if (model_.SequenceFileName.empty() || !(model_.hasDocument(SceneChanged) && model_.hasDocument(SequenceChanged)) ||
        !sequencePresent)
        return false;
    const auto answer = services_.user.messageBox(
        model_.SequenceFileName +
            "\rSie haben die Sequence verändert. Wollen Sie die veränderten Werte in Ihre Datei speichern?",
        SaveOptionsTitle, MessageButtons::YesNoCancel, MessageIcon::None);
    if (answer == MessageAnswer::Yes)
        saveSilently(DocumentKind::Sequence);
    else if (answer == MessageAnswer::Cancel)
        return true;
    else
        model_.clearDocument(SceneChanged | SequenceChanged);
    model_.clearDocument(SequenceNew | SequenceChanged);
    return false;
}

bool MainWindowPresenter::ConfirmUnsaved(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Config:
        return confirmConfig();
    case DocumentKind::Scene:
        return confirmScene();
    case DocumentKind::Sequence:
        return confirmSequence();
    case DocumentKind::ColourTable:
        return confirmColourTable();
    }
    return false;
}

bool MainWindowPresenter::Form_QueryUnload()
{
    closingStateFlags_ = model_.StateFlags;
    for (DocumentKind kind :
         {DocumentKind::Config, DocumentKind::Scene, DocumentKind::Sequence, DocumentKind::ColourTable})
        if (ConfirmUnsaved(kind))
            return true;
    return false;
}

void MainWindowPresenter::Form_Unload()
{
    storePlacement(model_, WindowNumber::Main, services_.window.currentPlacement(), SlotFields::PlaceAndState);
    SaveINI();
}

void MainWindowPresenter::mnuBeenden_Click()
{
    for (const InterfaceKind type : searchedKinds(model_.OsIsNt == -1))
        services_.interfaces.ClosePort(type);
    // An open network stream is ended with its stream-terminated packets.
    for (const InterfaceKind type : {Interface::SacnNetwork, Interface::ArtNetNetwork})
        if (services_.interfaces.isPresent(type))
            services_.interfaces.ClosePort(type);
    services_.window.closeMainWindow();
}

void MainWindowPresenter::mnuWandLoeschen_Click()
{
    if (!model_.hasState(StateFlag::WallPresent))
        return;
    if (services_.user.messageBox("Soll ich die Wand wirklich löschen?", "", MessageButtons::YesNo,
                                  MessageIcon::None) == MessageAnswer::No)
        return;
    // Deleting the wall sets no mark; its undo leaves the marks alone too.
    RecordedEdit edit(edits_, "Wand gelöscht", {history::DocumentKind::Config, history::DocumentKind::Sequence},
                      history::FlagEffect::LeavesMarks);
    RemoveWall(model_, services_.view);
}

void MainWindowPresenter::mnuHilfe_Click()
{
    (void)services_.system.openDocument(services_.programFolder + "/tinctara.doc");
}

void MainWindowPresenter::mnuDMXInit()
{
    InterfaceRegistry& interfaces = services_.interfaces;
    if (services_.system.previousInstanceRunning()) {
        services_.user.beep();
        services_.user.messageBox("Dieses Programm wird zum 2. Mal ausgeführt. DMX-TINCTARA darf auf einem Rechner "
                                  "nicht mehr als einmal mit DMX-Ausgabe ausgeführt werden. Interfaceunterstützung "
                                  "wird deaktiviert.",
                                  "TINCTARA", MessageButtons::Ok, MessageIcon::None);
        services_.view.setDmxStartStopEnabled(false);
        for (const InterfaceKind type : searchedKinds(model_.OsIsNt != 0))
            interfaces.ClosePort(type);
    } else {
        for (const InterfaceKind type : searchedKinds(model_.OsIsNt != 0))
            interfaces.OpenPort(type);
        services_.window.openWindow(WindowKind::InterfaceSelection);
        services_.view.closeInfoWindow();
    }
    if (services_.outputTick)
        services_.outputTick();
}

}  // namespace tinctara
