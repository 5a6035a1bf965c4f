#include "windows/DmxInputPresenter.h"

#include "support/InputFakes.h"
#include "support/MainWindowFakes.h"

#include <gtest/gtest.h>

#include <functional>

namespace tinctara {
namespace {

using Row = std::array<std::string, 3>;

struct Window : DmxInputView {
    void setChoices(const std::vector<std::string>& k, const std::vector<std::string>& m) override
    {
        kinds = k;
        merges = m;
    }
    void setFields(const DmxInputFields& f) override { fields = f; }
    void setStatus(std::string_view text) override { status = text; }
    void setCounters(std::string_view text) override { counters = text; }
    void setSources(const std::vector<Row>& list) override
    {
        rows = list;
        ++sourceUpdates;
    }
    void setLevels(const std::array<std::uint8_t, NetworkSlots>& l, bool isLive) override
    {
        levels = l;
        live = isLive;
        ++levelUpdates;
    }
    void setOnWall(bool on) override { onWall = on; }

    std::vector<std::string> kinds, merges;
    DmxInputFields fields;
    std::string status, counters;
    std::vector<Row> rows;
    std::array<std::uint8_t, NetworkSlots> levels{};
    bool live = false, onWall = false;
    int sourceUpdates = 0, levelUpdates = 0;
};

struct Harness {
    Harness() { presenter.Form_Load(); }
    // The store holds exactly what storing `settings` alone would write.
    bool storeHolds(const InputSettings& settings)
    {
        testing::FakeSettingsStore expected;
        storeInputSettings(expected, settings);
        return store.values == expected.values;
    }
    testing::FakeSettingsStore store;
    testing::FakeDmxInput input;
    Window window;
    DmxInputPresenter presenter{store, input, window};
};

TEST(DmxInputWindow, OpensWithTheChoicesAndTheInputOff)
{
    Harness h;
    EXPECT_EQ(h.window.kinds, (std::vector<std::string>{"Aus", "sACN (E1.31)", "Art-Net"}));
    EXPECT_EQ(h.window.merges, (std::vector<std::string>{"Aus", "HTP", "LTP", "Eingang vor Programm"}));
    EXPECT_EQ(h.window.fields, (DmxInputFields{0, "1", {"alle", "127.0.0.1", "192.168.7.20"}, 0, 0}));
    EXPECT_EQ(h.window.status, DmxInputText::InputOff);
    EXPECT_EQ(h.window.counters, "Empfangen: 0, genommen: 0, verworfen: 0, ArtPoll beantwortet: 0");
    EXPECT_TRUE(h.input.starts.empty());

    // Started from the command line, it shows what runs, not what is stored.
    Harness running;
    running.input.isRunning = true;
    running.input.now = {InputKind::ArtNet, 5, "192.168.7.20", InputMerge::Htp};
    running.presenter.Form_Load();
    EXPECT_EQ(running.window.fields, (DmxInputFields{2, "5", {"alle", "127.0.0.1", "192.168.7.20"}, 2, 1}));
    EXPECT_EQ(running.window.status, DmxInputText::NoSender);

    // A kind chosen but not running (its start at program start failed) says so.
    Harness stopped;
    stopped.presenter.cboKind_Click(1);
    stopped.input.isRunning = false;
    stopped.presenter.tmrRefresh_Timer();
    EXPECT_EQ(stopped.window.status, DmxInputText::InputOff);
}

TEST(DmxInputWindow, EachChangeRestartsTheInputAndIsStored)
{
    Harness h;
    struct Step {
        const char* what;
        std::function<void(DmxInputPresenter&)> change;
        InputSettings runs;
    };
    const Step steps[] = {
        {"sACN", [](auto& p) { p.cboKind_Click(1); }, {InputKind::Sacn, 1, "", InputMerge::Off}},
        {"universe", [](auto& p) { p.txtUniverse_LostFocus("63999"); }, {InputKind::Sacn, 63999, "", InputMerge::Off}},
        {"address", [](auto& p) { p.cboAddress_Click(2); }, {InputKind::Sacn, 63999, "192.168.7.20", InputMerge::Off}},
        {"merge",
         [](auto& p) { p.cboMerge_Click(3); },
         {InputKind::Sacn, 63999, "192.168.7.20", InputMerge::InputFirst}},
        // Art-Net's port-addresses end at 32767: the universe follows.
        {"Art-Net",
         [](auto& p) { p.cboKind_Click(2); },
         {InputKind::ArtNet, 32767, "192.168.7.20", InputMerge::InputFirst}},
        {"port-address 0",
         [](auto& p) { p.txtUniverse_LostFocus("0"); },
         {InputKind::ArtNet, 0, "192.168.7.20", InputMerge::InputFirst}},
        {"sACN has no 0",
         [](auto& p) { p.cboKind_Click(1); },
         {InputKind::Sacn, 1, "192.168.7.20", InputMerge::InputFirst}},
        {"every address", [](auto& p) { p.cboAddress_Click(0); }, {InputKind::Sacn, 1, "", InputMerge::InputFirst}},
        {"off", [](auto& p) { p.cboKind_Click(0); }, {InputKind::None, 1, "", InputMerge::InputFirst}},
    };
    for (const Step& step : steps) {
        const std::size_t before = h.input.starts.size();
        step.change(h.presenter);
        ASSERT_EQ(h.input.starts.size(), before + 1) << step.what;
        EXPECT_EQ(h.input.starts.back(), step.runs) << step.what;
        EXPECT_EQ(h.presenter.settings(), step.runs) << step.what;
        EXPECT_TRUE(h.storeHolds(step.runs)) << step.what;
        EXPECT_EQ(h.window.fields.universe, std::to_string(step.runs.universe)) << step.what;
    }
    EXPECT_EQ(h.window.status, DmxInputText::InputOff);

    // Choosing what runs already does not start it again.
    h.presenter.cboKind_Click(0);
    h.presenter.cboMerge_Click(3);
    h.presenter.txtUniverse_LostFocus("1");
    EXPECT_EQ(h.input.starts.size(), std::size(steps));
}

TEST(DmxInputWindow, BadUniversesAndRefusedStartsKeepWhatRuns)
{
    Harness h;
    h.presenter.cboKind_Click(1);
    h.presenter.txtUniverse_LostFocus("7");
    const InputSettings running{InputKind::Sacn, 7, "", InputMerge::Off};
    for (const char* text : {"0", "64000", "", "x", "7.5", "-3"}) {
        h.presenter.txtUniverse_LostFocus(text);
        EXPECT_EQ(h.window.fields.universe, "7") << text;
        EXPECT_EQ(h.window.status, DmxInputText::BadSacnUniverse) << text;
    }
    EXPECT_EQ(h.input.starts.size(), 2u);

    // A refused start: the reason is shown, what ran before runs again, the
    // store keeps it and the fields show it.
    h.input.refuse = "Port 5568 ist belegt.";
    h.presenter.cboAddress_Click(1);
    ASSERT_EQ(h.input.starts.size(), 4u);
    EXPECT_EQ(h.input.starts[2].listenAddress, "127.0.0.1");
    EXPECT_EQ(h.input.starts[3], running);
    EXPECT_EQ(h.presenter.settings(), running);
    EXPECT_TRUE(h.storeHolds(running));
    EXPECT_EQ(h.window.fields.address, 0);
    EXPECT_EQ(h.window.status, "Port 5568 ist belegt.");
    h.presenter.tmrRefresh_Timer();
    EXPECT_EQ(h.window.status, "Port 5568 ist belegt.");  // until the next change

    h.presenter.cboKind_Click(2);
    EXPECT_EQ(h.window.status, DmxInputText::NoSender);
    h.presenter.txtUniverse_LostFocus("32768");
    EXPECT_EQ(h.window.status, DmxInputText::BadArtNetUniverse);
    EXPECT_EQ(h.window.fields.universe, "7");
}

TEST(DmxInputWindow, ShowsTheLevelsSendersAndCountersAsTheyChange)
{
    Harness h;
    h.presenter.cboKind_Click(1);
    EXPECT_EQ(h.window.status, "Kein Sender");
    EXPECT_FALSE(h.window.live);

    h.input.incoming.levels[0] = 255;
    h.input.incoming.levels[511] = 17;
    h.input.incoming.live = true;
    h.input.incoming.version = 4;
    h.input.senders = {{"Pult links", 100, 44}, {"Pult rechts", 150, 40}};
    h.input.counted = {120, 84, 36, 2};
    const int levelUpdates = h.window.levelUpdates;
    h.presenter.tmrRefresh_Timer();
    EXPECT_EQ(h.window.levelUpdates, levelUpdates + 1);
    EXPECT_TRUE(h.window.live);
    EXPECT_EQ(h.window.levels[0], 255);
    EXPECT_EQ(h.window.levels[511], 17);
    EXPECT_EQ(h.window.rows, (std::vector<Row>{{"Pult links", "100", "44"}, {"Pult rechts", "150", "40"}}));
    EXPECT_EQ(h.window.status, "2 Sender");
    EXPECT_EQ(h.window.counters, "Empfangen: 120, genommen: 84, verworfen: 36, ArtPoll beantwortet: 2");

    // Nothing new: neither the grid nor the table is drawn again.
    const int sourceUpdates = h.window.sourceUpdates;
    h.presenter.tmrRefresh_Timer();
    EXPECT_EQ(h.window.levelUpdates, levelUpdates + 1);
    EXPECT_EQ(h.window.sourceUpdates, sourceUpdates);

    // Art-Net has no priority; one sender, then none and the grid goes grey.
    h.input.senders = {{"10.0.0.9", -1, 40}};
    h.presenter.tmrRefresh_Timer();
    EXPECT_EQ(h.window.rows, (std::vector<Row>{{"10.0.0.9", "-", "40"}}));
    EXPECT_EQ(h.window.status, "1 Sender");
    h.input.senders.clear();
    h.input.incoming = {};
    h.input.incoming.version = 5;
    h.presenter.tmrRefresh_Timer();
    EXPECT_TRUE(h.window.rows.empty());
    EXPECT_FALSE(h.window.live);
    EXPECT_EQ(h.window.levels[0], 0);
    EXPECT_EQ(h.window.status, "Kein Sender");
}

TEST(DmxInputWindow, TheWallShowsTheInputUntilUncheckedOrClosed)
{
    Harness h;
    EXPECT_FALSE(h.window.onWall);
    h.presenter.chkOnWall_Click(true);
    EXPECT_TRUE(h.input.onWall);
    EXPECT_TRUE(h.window.onWall);
    h.presenter.chkOnWall_Click(false);
    EXPECT_FALSE(h.input.onWall);

    h.presenter.chkOnWall_Click(true);
    h.presenter.Form_Unload();
    EXPECT_FALSE(h.input.onWall);
}

}  // namespace
}  // namespace tinctara
