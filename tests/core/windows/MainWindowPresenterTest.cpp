#include "files/SettingsFile.h"
#include "support/Fakes.h"
#include "support/MainWindowFakes.h"
#include "windows/MainWindowPresenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace tinctara {
namespace {

using namespace testing;

// A main window over fakes, with a program folder of its own.
struct MainWindowHarness {
    MainWindowHarness()
    {
        commands.silent = [this] { return model.hasState(StateFlag::SilentFileOp); };
    }
    ~MainWindowHarness() { std::filesystem::remove_all(folder); }

    void writeSettings(const std::string& text) { std::ofstream(folder / "TINCTARA.ini", std::ios::binary) << text; }

    // A settings file with every section, the given files and state word.
    void writeSettingsWith(std::uint32_t savedOptions, const std::array<std::string, 4>& files)
    {
        auto written = std::make_unique<ShowModel>();
        written->ConfigFileName = files[0];
        written->SceneFileName = files[1];
        written->SequenceFileName = files[2];
        written->ColourTableFileName = files[3];
        written->windowPosition(1, 1) = 10;
        written->windowPosition(1, 3) = 9000;
        writeSettings(settingsFileBytes(*written, savedOptions));
    }

    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& m : user.messages)
            texts.push_back(m.text);
        return texts;
    }

    static std::filesystem::path freshFolder()
    {
        static int counter = 0;
        auto path = std::filesystem::temp_directory_path() /
                    ("tinctara-main-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }

    std::filesystem::path folder = freshFolder();  // first: the presenter is given it
    std::unique_ptr<ShowModel> modelStorage = std::make_unique<ShowModel>();
    ShowModel& model = *modelStorage;
    RecordingView view;
    ScriptedUser user;
    FakeTimer timer;
    FakeMainWindow window;
    FakeShowCommands commands;
    MessageTable messages;
    InterfaceRegistry interfaces{model, view, user, timer, messages};
    FakeSettingsStore settings;
    FakeSystemInfo system;
    MainWindowPresenter presenter{
        {model, view, user, timer, window, commands, interfaces, settings, system, messages, folder.string()}};
};

TEST(MainWindowStartUp, OperatingSystemVersions)
{
    struct Case {
        std::uint32_t version;
        bool starts;
        const char* osName;
        std::int16_t nt;
    } cases[] = {
        {0x0003, false, "", 0},
        {0x0004, true, "Windows 9x", 0},
        {0x0A04, true, "Windows 98SE", 0},
        {0x0005, true, "Windows 2000", -1},
        {0x0105, true, "Windows XP", -1},
        {0x0205, true, "", -1},
        {0x000A, true, "", 0},
    };
    for (const auto& c : cases) {
        MainWindowHarness main;
        main.system.version = c.version;
        EXPECT_EQ(main.presenter.Form_Load(), c.starts) << std::hex << c.version;
        EXPECT_EQ(main.model.OsName, c.osName) << std::hex << c.version;
        EXPECT_EQ(main.model.OsIsNt, c.nt) << std::hex << c.version;
        if (!c.starts) {
            ASSERT_EQ(main.user.messages.size(), 1u);
            EXPECT_EQ(main.user.messages[0].text, "Das Programm ist mit dieser Windows Version nicht lauffähig");
            EXPECT_TRUE(main.view.titles.empty());
        }
    }
}

TEST(MainWindowStartUp, FirstRunShowsTheTwoSettingsMessagesAndKeepsDefaults)
{
    MainWindowHarness main;
    main.messages[96] = "wird überschrieben";
    std::ofstream(main.folder / "TINCT_D.MSG", std::ios::binary) << "96=Auswahl\r\n";
    ASSERT_TRUE(main.presenter.Form_Load());

    EXPECT_EQ(main.messageTexts(),
              (std::vector<std::string>{"Fehler beim laden der TINCTARA.ini im Abschnitt [DMXINI]",
                                        "Fehler beim laden der TINCTARA.ini im Abschnitt [WINDOWSPOS]"}));
    EXPECT_EQ(main.messages[96], "Auswahl");
    EXPECT_EQ(main.model.ChannelCount, 100);
    EXPECT_EQ(main.model.TimingBlockPending, 1);
    EXPECT_TRUE(main.commands.calls.empty());
    EXPECT_EQ(main.view.titles.front(), ": QOR DMX TINCTARA  Ver V 1.21");
    EXPECT_EQ(main.view.titles.back(), ":   No Interface selected");
    EXPECT_EQ(main.user.busyPointer, (std::vector<bool>{true, false}));
    EXPECT_TRUE(main.window.dmxStartStopVisible.empty());
}

TEST(MainWindowStartUp, EmptySettingsFileIsAFirstRunBlankOrOversizedOneFailsOnce)
{
    struct Case {
        const char* name;
        std::string bytes;
        off_t sparseSize;
        std::vector<std::string> messages;
    } cases[] = {
        {"0 bytes",
         "",
         0,
         {"Fehler beim laden der TINCTARA.ini im Abschnitt [DMXINI]",
          "Fehler beim laden der TINCTARA.ini im Abschnitt [WINDOWSPOS]"}},
        {"blanks", " \r\n\r\n\t", 0, {"Fehler beim Laden der TINCTARA.INI"}},
        {"above 16 MiB", "", off_t{17} << 20, {"Fehler beim Laden der TINCTARA.INI"}},
    };
    for (const auto& c : cases) {
        MainWindowHarness main;
        main.writeSettings(c.bytes);
        if (c.sparseSize)
            std::filesystem::resize_file(main.folder / "TINCTARA.ini", static_cast<std::uintmax_t>(c.sparseSize));
        ASSERT_TRUE(main.presenter.Form_Load()) << c.name;
        EXPECT_EQ(main.messageTexts(), c.messages) << c.name;
        EXPECT_TRUE(main.commands.calls.empty()) << c.name;
        EXPECT_EQ(main.model.TimingBlockPending, 1) << c.name;
    }
}

TEST(MainWindowStartUp, ReloadsTheLastShow)
{
    struct Case {
        const char* name;
        std::uint32_t savedOptions;
        std::array<std::string, 4> files;
        std::vector<FakeShowCommands::Call> loads;
        std::vector<WindowKind> reopened;
        int plays;
    } cases[] = {
        {"scene and sequence: only the sequence",
         StateFlag::AutoLoad | StateFlag::WallWindowOpen,
         {"a.CFG", "b.CSC", "c.CSQ", "d.CCT"},
         {{'l', DocumentKind::Config, true},
          {'l', DocumentKind::Sequence, true},
          {'l', DocumentKind::ColourTable, true}},
         {WindowKind::Wall},
         0},
        {"scene alone", StateFlag::AutoLoad, {"", "b.CSC", "", ""}, {{'l', DocumentKind::Scene, true}}, {}, 0},
        {"without AutoLoad: configuration and windows only",
         StateFlag::OptionsWindowOpen | StateFlag::WallWindowOpen | StateFlag::PatchWindowOpen |
             StateFlag::SequencerWindowOpen | StateFlag::ColourWindowOpen | StateFlag::DmxTestWindowOpen |
             StateFlag::SequencePlaying,
         {"a.CFG", "b.CSC", "c.CSQ", "d.CCT"},
         {{'l', DocumentKind::Config, true}},
         {WindowKind::Wall, WindowKind::Colour, WindowKind::Sequencer, WindowKind::DmxTest, WindowKind::Patch,
          WindowKind::Options},
         0},
        {"playing at the last close plays again",
         StateFlag::AutoLoad | StateFlag::SequencePlaying,
         {"", "", "c.CSQ", ""},
         {{'l', DocumentKind::Sequence, true}},
         {},
         1},
    };
    for (const auto& c : cases) {
        MainWindowHarness main;
        main.writeSettingsWith(c.savedOptions, c.files);
        ASSERT_TRUE(main.presenter.Form_Load()) << c.name;
        EXPECT_EQ(main.commands.calls, c.loads) << c.name;
        EXPECT_EQ(main.window.opened, c.reopened) << c.name;
        EXPECT_EQ(main.commands.plays, c.plays) << c.name;
        EXPECT_TRUE(main.user.messages.empty()) << c.name;
        EXPECT_FALSE(main.model.hasState(StateFlag::SilentFileOp)) << c.name;
        ASSERT_EQ(main.window.applied.size(), 1u);
        EXPECT_EQ(main.window.applied[0].left, 10);
        EXPECT_EQ(main.window.applied[0].width, 9000);
    }
}

// A copy of a program folder keeps the original's settings file, which names
// the original's shows by absolute path: the copy loads (and so saves) its own.
TEST(MainWindowStartUp, ACopiedProgramFolderUsesItsOwnShows)
{
    MainWindowHarness main;
    const std::string own = main.folder.string();
    const std::string original = (main.folder.parent_path() / "original-program").string();
    for (const char* file : {"config/DEMO.CFG", "scenen/ROT.CSC", "Sequence/DEMO.CSQ"}) {
        std::filesystem::create_directories((main.folder / file).parent_path());
        std::ofstream(main.folder / file) << "x";
    }
    main.writeSettingsWith(StateFlag::AutoLoad,
                           {original + "/config/DEMO.CFG",
                            own + "/../" + main.folder.filename().string() + "/../original-program/scenen/ROT.CSC",
                            original + "/sequence/demo.csq", original + "/Farbtbl/DEMO.CCT"});
    ASSERT_TRUE(main.presenter.Form_Load());
    EXPECT_EQ(main.model.ConfigFileName, own + "/config/DEMO.CFG");
    EXPECT_EQ(main.model.SceneFileName, own + "/scenen/ROT.CSC");
    EXPECT_EQ(main.model.SequenceFileName, own + "/Sequence/DEMO.CSQ") << "folder and name matched without case";
    EXPECT_EQ(main.model.ColourTableFileName, original + "/Farbtbl/DEMO.CCT") << "not in the copy: looked up as ever";

    // Names inside the folder in use, relative names and names whose file the
    // copy lacks stay as they are.
    MainWindowHarness kept;
    std::filesystem::create_directories(kept.folder / "config");
    std::ofstream(kept.folder / "config" / "DEMO.CFG") << "x";
    const std::string inside = kept.folder.string() + "/shows/DEMO.CFG";
    kept.writeSettingsWith(StateFlag::AutoLoad, {inside, "ROT.CSC", original + "/sequence/OTHER.CSQ", ""});
    ASSERT_TRUE(kept.presenter.Form_Load());
    EXPECT_EQ(kept.model.ConfigFileName, inside);
    EXPECT_EQ(kept.model.SceneFileName, "ROT.CSC");
    EXPECT_EQ(kept.model.SequenceFileName, original + "/sequence/OTHER.CSQ");
}

TEST(MainWindowStartUp, FailedReloadsFollowTheirKind)
{
    MainWindowHarness scene;
    scene.writeSettingsWith(StateFlag::AutoLoad, {"", "b.CSC", "", "d.CCT"});
    scene.commands.failingLoads = {{DocumentKind::Scene, true}, {DocumentKind::ColourTable, true}};
    scene.presenter.Form_Load();
    EXPECT_EQ(scene.model.SceneFileName, "");
    EXPECT_EQ(scene.model.ColourTableFileName, "");
    EXPECT_EQ(scene.messageTexts(), (std::vector<std::string>{"Fehler beim Laden der TINCTARA.INI"}));

    MainWindowHarness sequence;
    sequence.writeSettingsWith(StateFlag::AutoLoad, {"", "", "c.CSQ", ""});
    sequence.commands.failingLoads = {{DocumentKind::Sequence, true}};
    sequence.presenter.Form_Load();
    EXPECT_EQ(sequence.model.SequenceFileName, "c.CSQ");
    EXPECT_TRUE(sequence.user.messages.empty());

    MainWindowHarness files;
    files.writeSettings("x\r\n[FILES]\r\na.CFG\r\n");
    files.presenter.Form_Load();
    EXPECT_EQ(files.model.ConfigFileName, "");
    EXPECT_TRUE(files.commands.calls.empty());
}

TEST(MainWindowStartUp, StoredInterfaceKind)
{
    struct Case {
        const char* stored;
        InterfaceKind type;
        std::vector<bool> startStopVisible;
        const char* lastTitle;
    } cases[] = {
        {"0", Interface::NoInterface, {}, ":   No Interface selected"},
        {"1", Interface::NoInterface, {true}, ":   No Interface selected"},  // no card answers yet
        {"3", Interface::NoInterface, {false}, ":   No Interface selected"},
        {"9", Interface::NoInterface, {}, ":   No Interface selected"},
        {"-2", Interface::NoInterface, {}, ":   No Interface selected"},
    };
    for (const auto& c : cases) {
        MainWindowHarness main;
        main.settings.values["TINCTARA/Interface/Type"] = c.stored;
        main.presenter.Form_Load();
        EXPECT_EQ(main.model.InterfaceType, c.type) << c.stored;
        EXPECT_EQ(main.window.dmxStartStopVisible, c.startStopVisible) << c.stored;
        EXPECT_EQ(main.view.titles.back(), c.lastTitle) << c.stored;
    }
}

// Flags for a show with all four documents unsaved and named.
void makeEverythingUnsaved(ShowModel& model)
{
    using namespace DocumentFlag;
    model.DocumentFlags = ConfigNew | ConfigChanged | SceneNew | SceneChanged | SequenceNew | SequenceChanged |
                          ColourTableNew | ColourTableChanged;
    model.setState(StateFlag::SequencePresent);
    model.ConfigFileName = "a.CFG";
    model.SequenceFileName = "c.CSQ";
    model.ColourTableFileName = "d.CCT";
}

TEST(ConfirmUnsaved, CancelKeepsTheProgramRunningWithNothingSaved)
{
    MainWindowHarness main;
    main.model.DocumentFlags = DocumentFlag::SceneNew | DocumentFlag::SceneChanged;
    main.user.answers = {MessageAnswer::Cancel};
    EXPECT_TRUE(main.presenter.Form_QueryUnload());
    ASSERT_EQ(main.user.messages.size(), 1u);
    EXPECT_EQ(main.user.messages[0].text, "Sie haben eine neue Scene erstellt. Wollen Sie sie jetzt abspeichern?");
    EXPECT_EQ(main.user.messages[0].title, "TINCTARA Security");
    EXPECT_EQ(main.user.messages[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_TRUE(main.commands.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(main.folder / "TINCTARA.ini"));
}

TEST(ConfirmUnsaved, NoToEveryQuestionCloses)
{
    MainWindowHarness main;
    makeEverythingUnsaved(main.model);
    main.user.answers.assign(10, MessageAnswer::No);
    EXPECT_FALSE(main.presenter.Form_QueryUnload());
    EXPECT_EQ(main.messageTexts(),
              (std::vector<std::string>{
                  "Sie haben eine neue Wand erstellt. Wollen Sie sie jetzt abspeichern?",
                  "a.CFG\rSie haben die Konfiguration der Wand verändert. Wollen Sie die veränderten Werte in Ihre "
                  "Datei speichern?",
                  "Sie haben eine neue Sequenz erstellt. Wollen Sie sie jetzt abspeichern?",
                  "Sie haben eine neue Farbtabelle erstellt. Wollen Sie sie jetzt abspeichern?",
                  "d.CCT\rSie haben die Farbtabelle verändert. Wollen Sie die veränderten Werte in Ihre Datei "
                  "speichern?"}));
    EXPECT_TRUE(main.commands.calls.empty());
}

TEST(ConfirmUnsaved, YesSavesWithTheDialogOrSilentlyIntoTheCurrentFile)
{
    MainWindowHarness main;
    main.model.DocumentFlags = DocumentFlag::ConfigNew | DocumentFlag::ConfigChanged;
    main.model.ConfigFileName = "a.CFG";
    main.commands.onSave = [&](DocumentKind) { main.model.DocumentFlags = 0; };
    main.user.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(main.presenter.ConfirmUnsaved(DocumentKind::Config));
    EXPECT_EQ(main.commands.calls, (std::vector<FakeShowCommands::Call>{{'s', DocumentKind::Config, false}}));

    MainWindowHarness changed;
    changed.model.DocumentFlags = DocumentFlag::ConfigChanged;
    changed.model.ConfigFileName = "a.CFG";
    changed.user.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(changed.presenter.ConfirmUnsaved(DocumentKind::Config));
    EXPECT_EQ(changed.commands.calls, (std::vector<FakeShowCommands::Call>{{'s', DocumentKind::Config, true}}));
    EXPECT_FALSE(changed.model.hasState(StateFlag::SilentFileOp));
    EXPECT_EQ(changed.user.messages[0].title, "Security");
}

TEST(ConfirmUnsaved, ADeclinedNewSequenceIsNotAskedAgain)
{
    MainWindowHarness main;
    using namespace DocumentFlag;
    main.model.DocumentFlags = SceneChanged | SequenceNew | SequenceChanged;
    main.model.setState(StateFlag::SequencePresent);
    main.model.SequenceFileName = "c.CSQ";
    main.user.answers = {MessageAnswer::No};
    EXPECT_FALSE(main.presenter.ConfirmUnsaved(DocumentKind::Sequence));
    EXPECT_EQ(main.user.messages.size(), 1u);
    EXPECT_EQ(main.user.messages[0].title, "SAVE OPTIONS");
    EXPECT_FALSE(main.model.hasDocument(SceneChanged | SequenceNew | SequenceChanged));

    EXPECT_FALSE(main.presenter.Form_QueryUnload());
    EXPECT_EQ(main.user.messages.size(), 1u);
}

TEST(MainWindowExit, CloseStoresPlacementAndStateWord)
{
    MainWindowHarness main;
    main.model.StateFlags = StateFlag::AutoLoad | StateFlag::WallWindowOpen;
    main.window.placement = {100, 200, 8000, 6000, 2};
    EXPECT_FALSE(main.presenter.Form_QueryUnload());
    main.model.StateFlags = 0;  // changes after closing began are not saved
    main.presenter.Form_Unload();
    const auto sections = readSettingsFile((main.folder / "TINCTARA.ini").string());
    ASSERT_TRUE(sections.options.values && sections.windowPositions.values);
    EXPECT_EQ(sections.options.values->savedOptions, StateFlag::AutoLoad | StateFlag::WallWindowOpen);
    const std::array<std::int32_t, 5> window1{
        (*sections.windowPositions.values)[0], (*sections.windowPositions.values)[10],
        (*sections.windowPositions.values)[20], (*sections.windowPositions.values)[30],
        (*sections.windowPositions.values)[40]};
    EXPECT_EQ(window1, (std::array<std::int32_t, 5>{100, 200, 8000, 6000, 2}));
}

TEST(MainWindowExit, QuitClosesTheInterfacesOfTheFamily)
{
    for (std::int16_t nt : {std::int16_t{0}, std::int16_t{-1}}) {
        MainWindowHarness main;
        main.model.OsIsNt = nt;
        main.interfaces.InterfacePresent.values.fill(1);
        main.presenter.mnuBeenden_Click();
        const auto closes = std::count(main.view.titles.begin(), main.view.titles.end(), ":  QOR DMX TINCTARA");
        EXPECT_EQ(closes, (nt ? 3 : 5) + 2) << "and the network kinds";
        EXPECT_EQ(main.interfaces.InterfacePresent[Interface::UsbInterface], 0);
        EXPECT_EQ(main.interfaces.InterfacePresent[Interface::ArtNetNetwork], 0);
        EXPECT_EQ(main.interfaces.InterfacePresent[Interface::PciCard7304], nt ? 1 : 0);
        EXPECT_EQ(main.window.closeRequests, 1);
    }
}

TEST(MainWindowExit, UnwritableSettingsFileIsReported)
{
    MainWindowHarness main;
    std::filesystem::create_directories(main.folder / "TINCTARA.ini");  // a folder where the file should be
    main.presenter.Form_Unload();
    EXPECT_EQ(main.messageTexts(), (std::vector<std::string>{"Speichern wurde abgebrochen."}));
}

TEST(MainWindowCommands, DeleteWallAsksFirst)
{
    MainWindowHarness main;
    main.presenter.mnuWandLoeschen_Click();
    EXPECT_TRUE(main.user.messages.empty());

    main.model.setState(StateFlag::WallPresent);
    main.model.ElementCount = 6;
    main.user.answers = {MessageAnswer::No, MessageAnswer::Yes};
    main.presenter.mnuWandLoeschen_Click();
    EXPECT_EQ(main.model.ElementCount, 6);
    main.presenter.mnuWandLoeschen_Click();
    EXPECT_EQ(main.model.ElementCount, 0);
    EXPECT_FALSE(main.model.hasState(StateFlag::WallPresent));
    EXPECT_EQ(main.view.wallRemovals, 1);
    EXPECT_EQ(main.user.messages[0].text, "Soll ich die Wand wirklich löschen?");
    EXPECT_EQ(main.user.messages[0].buttons, MessageButtons::YesNo);
}

TEST(MainWindowCommands, HelpOpensTheHelpTextAndPassesFailuresOver)
{
    MainWindowHarness main;
    main.presenter.mnuHilfe_Click();
    EXPECT_EQ(main.system.opened, (std::vector<std::string>{(main.folder / "tinctara.doc").string()}));
    EXPECT_TRUE(main.user.messages.empty());
}

}  // namespace
}  // namespace tinctara
