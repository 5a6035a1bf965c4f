#include "windows/TimecodeOptionsPresenter.h"

#include "support/MainWindowFakes.h"
#include "support/TimecodeFakes.h"

#include <gtest/gtest.h>

#include <functional>

namespace tinctara {
namespace {

struct Tab : TimecodeOptionsView {
    void setLtcDevices(const std::vector<std::string>& list, int chosen) override
    {
        devices = list;
        device = chosen;
    }
    void setLtcDeviceEnabled(bool on) override { deviceEnabled = on; }
    void setSource(int index) override { source = index; }
    void setRate(int index) override { rate = index; }
    void setOffset(std::string_view text) override { offset = text; }
    void setFreewheel(int frames) override { freewheel = frames; }
    void setMode(TimecodeMode shown) override { mode = shown; }
    void setSending(bool on, std::string_view text, bool mtc) override
    {
        artNet = on;
        target = text;
        sendMtc = mtc;
    }
    void setTime(std::string_view text) override { times.emplace_back(text); }
    void setStatus(std::string_view text) override { statuses.emplace_back(text); }

    std::vector<std::string> devices;
    int device = -1, source = -1, rate = -1, freewheel = -1;
    bool deviceEnabled = true, artNet = false, sendMtc = false;
    TimecodeMode mode = TimecodeMode::StartAt;
    std::string offset, target;
    std::vector<std::string> times, statuses;
};

const std::vector<AudioInputDevice> Inputs{{"alsa_input.usb", "USB-Mikrofon"}, {"alsa_input.line", "Line-In"}};

struct Harness {
    std::string stored(const char* key) { return store.read("TINCTARA", "Timecode", key, "<none>"); }
    void put(const char* key, const char* value) { store.write("TINCTARA", "Timecode", key, value); }
    void load() { presenter.Form_Load(Inputs); }
    testing::FakeSettingsStore store;
    testing::FakeTimecodeControl control;
    Tab tab;
    TimecodeOptionsPresenter presenter{store, control, tab};
};

TEST(TimecodeOptionsPresenter, OpeningShowsTheStoredSettingsAndWritesNothing)
{
    const struct {
        const char* name;
        std::vector<std::pair<const char*, const char*>> stored;
        int source, rate;
        const char* offset;
        int freewheel, device;
        TimecodeMode mode;
        const char* target;
    } cases[] = {
        {"first start", {}, 0, 1, "01:00:00:00", 10, 0, TimecodeMode::Chase, ""},
        {"chosen",
         {{"Source", "3"},
          {"Rate", "2"},
          {"Offset", "00:10:00;00"},
          {"FreewheelFrames", "250"},
          {"Mode", "1"},
          {"LtcDevice", "alsa_input.line"},
          {"ArtNetTarget", "10.0.0.9"}},
         3,
         2,
         "00:10:00;00",
         250,
         2,
         TimecodeMode::StartAt,
         "10.0.0.9"},
        // Bad values fall back one by one; a device no longer there is none.
        {"bad",
         {{"Source", "4"},
          {"Rate", "2"},
          {"Offset", "00:01:00;00"},
          {"FreewheelFrames", "-1"},
          {"Mode", "2"},
          {"LtcDevice", "gone"},
          {"ArtNetTarget", "lichtpult"}},
         0,
         2,
         "01:00:00;00",
         10,
         0,
         TimecodeMode::Chase,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        for (const auto& [key, value] : c.stored)
            h.put(key, value);
        const auto before = h.store.values;
        h.load();
        EXPECT_EQ(h.tab.source, c.source);
        EXPECT_EQ(h.tab.rate, c.rate);
        EXPECT_EQ(h.tab.offset, c.offset);
        EXPECT_EQ(h.tab.freewheel, c.freewheel);
        EXPECT_EQ(h.tab.mode, c.mode);
        EXPECT_EQ(h.tab.target, c.target);
        EXPECT_EQ(h.tab.devices, (std::vector<std::string>{"USB-Mikrofon", "Line-In"}));
        EXPECT_EQ(h.tab.device, c.device);
        EXPECT_EQ(h.tab.deviceEnabled, c.source == 3);
        EXPECT_EQ(h.store.values, before);
        EXPECT_TRUE(h.control.applied.empty());
    }
}

TEST(TimecodeOptionsPresenter, EveryChangeIsStoredAndAppliedAtOnce)
{
    using Change = std::function<void(TimecodeOptionsPresenter&)>;
    const struct {
        const char* name;
        Change change;
        const char* key;
        const char* stored;
    } cases[] = {
        {"source", [](auto& p) { p.cboSource_Click(1); }, "Source", "1"},
        {"ltc", [](auto& p) { p.cboSource_Click(3); }, "Source", "3"},
        {"device", [](auto& p) { p.cboLtcDevice_Click(2); }, "LtcDevice", "alsa_input.line"},
        {"rate", [](auto& p) { p.cboRate_Click(3); }, "Rate", "3"},
        {"offset", [](auto& p) { p.txtOffset_EditingFinished("00:59:30:24"); }, "Offset", "00:59:30:24"},
        {"freewheel", [](auto& p) { p.spnFreewheel_Change(0); }, "FreewheelFrames", "0"},
        {"freewheel over", [](auto& p) { p.spnFreewheel_Change(999); }, "FreewheelFrames", "250"},
        {"start at", [](auto& p) { p.optMode_Click(1); }, "Mode", "1"},
        {"art-net", [](auto& p) { p.chkSendArtNet_Click(true); }, "SendArtNet", "1"},
        {"target", [](auto& p) { p.txtTarget_EditingFinished("2.0.0.255"); }, "ArtNetTarget", "2.0.0.255"},
        {"mtc", [](auto& p) { p.chkSendMtc_Click(true); }, "SendMtc", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.load();
        c.change(h.presenter);
        EXPECT_EQ(h.stored(c.key), c.stored);
        ASSERT_EQ(h.control.applied.size(), 1u);
        // What is in effect is what the next start loads.
        EXPECT_EQ(h.control.applied.back(), loadTimecodeSettings(h.store));
        EXPECT_EQ(h.tab.deviceEnabled, h.control.applied.back().source == TimecodeSource::Ltc);
        EXPECT_EQ(h.tab.statuses.back(), "Kein Timecode.");
    }
}

TEST(TimecodeOptionsPresenter, RefusedTextsGoBackAndSayWhy)
{
    const struct {
        const char* name;
        bool offset;
        const char* text;
    } cases[] = {
        {"short field", true, "1:00:00:00"},  {"frame past the rate", true, "01:00:00:25"},
        {"no timecode", true, "eins"},        {"empty offset", true, ""},
        {"hour 24", true, "24:00:00:00"},     {"three parts", false, "10.0.0"},
        {"a name", false, "lichtpult.local"}, {"part past 255", false, "10.0.0.256"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.put("ArtNetTarget", "10.0.0.9");
        h.load();
        h.tab.offset.clear();
        h.tab.target.clear();
        if (c.offset)
            h.presenter.txtOffset_EditingFinished(c.text);
        else
            h.presenter.txtTarget_EditingFinished(c.text);
        EXPECT_EQ(h.tab.statuses.back(), c.offset ? "Der Startversatz muss ein Timecode der Form HH:MM:SS:FF sein."
                                                  : "Das Ziel muss eine IPv4-Adresse sein oder leer bleiben.");
        EXPECT_EQ(c.offset ? h.tab.offset : h.tab.target, c.offset ? "01:00:00:00" : "10.0.0.9");
        EXPECT_TRUE(h.control.applied.empty());
        EXPECT_EQ(h.stored("Offset"), "<none>");
        // The message outlasts the timer, and goes with the next change.
        h.presenter.tmrStatus_Timer();
        EXPECT_NE(h.tab.statuses.back(), "Kein Timecode.");
        h.presenter.txtTarget_EditingFinished("");
        EXPECT_EQ(h.tab.statuses.back(), "Kein Timecode.");
        EXPECT_EQ(h.stored("ArtNetTarget"), "");  // empty is the broadcast
    }
}

TEST(TimecodeOptionsPresenter, ANewRateMovesTheOffsetToALabelItHas)
{
    const struct {
        const char* rate;
        const char* offset;
        int newRate;
        const char* shown;
    } cases[] = {
        {"1", "00:01:00:00", 2, "00:01:00;02"},  // frames 0 and 1 of minute 1 are dropped
        {"3", "00:01:00:01", 2, "00:01:00;02"},
        {"1", "00:10:00:00", 2, "00:10:00;00"},  // every tenth minute keeps them
        {"3", "01:00:00:29", 1, "01:00:01:00"},
        {"3", "00:59:59:27", 0, "01:00:00:00"},
        {"3", "00:08:59:29", 2, "00:08:59;29"},
        {"3", "23:59:59:29", 1, "00:00:00:00"},  // past the day's last label: the next day's first
        {"2", "00:05:00;02", 3, "00:05:00:02"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.offset) + " to rate " + std::to_string(c.newRate));
        Harness h;
        h.put("Rate", c.rate);
        h.put("Offset", c.offset);
        h.load();
        ASSERT_EQ(h.tab.offset, c.offset);
        h.presenter.cboRate_Click(c.newRate);
        EXPECT_EQ(h.tab.offset, c.shown);
        EXPECT_EQ(h.stored("Offset"), c.shown);
        ASSERT_EQ(h.control.applied.size(), 1u);
        EXPECT_EQ(formatTimecode(h.control.applied.back().offset, h.control.applied.back().rate), c.shown);
    }
}

TEST(TimecodeOptionsPresenter, TheStatusFollowsTheChaseUnlessSomethingWentWrong)
{
    const struct {
        ChaseState state;
        const char* text;
    } states[] = {
        {ChaseState::Off, "Kein Timecode."},
        {ChaseState::Waiting, "Wartet auf Timecode."},
        {ChaseState::BeforeOffset, "Vor dem Startversatz: Schritt 1 hält."},
        {ChaseState::Chasing, "Läuft mit."},
        {ChaseState::Freewheel, "Timecode fehlt: Freilauf."},
        {ChaseState::Held, "Timecode fehlt: das Bild hält."},
        {ChaseState::Started, "Gestartet, läuft selbst."},
    };
    Harness h;
    h.load();
    for (const auto& s : states) {
        h.control.now.state = s.state;
        h.presenter.tmrStatus_Timer();
        EXPECT_EQ(h.tab.statuses.back(), s.text);
    }
    EXPECT_EQ(h.tab.statuses.size(), 7u);
    h.presenter.tmrStatus_Timer();
    EXPECT_EQ(h.tab.statuses.size(), 7u);  // unchanged: nothing sent

    h.control.now.problem = "Der Port 6454 ist belegt.";
    h.presenter.tmrStatus_Timer();
    EXPECT_EQ(h.tab.statuses.back(), "Der Port 6454 ist belegt.");

    // What the last change could not do stands before what the chase says.
    h.control.now.problem.clear();
    h.control.refusal = "Das Gerät Line-In kann nicht geöffnet werden.";
    h.presenter.cboSource_Click(3);
    h.presenter.tmrStatus_Timer();
    EXPECT_EQ(h.tab.statuses.back(), "Das Gerät Line-In kann nicht geöffnet werden.");
    h.control.refusal.clear();
    h.presenter.cboSource_Click(0);
    EXPECT_EQ(h.tab.statuses.back(), "Gestartet, läuft selbst.");
}

TEST(TimecodeOptionsPresenter, TheRunningTimeIsShownAtItsOwnRate)
{
    Harness h;
    h.load();
    EXPECT_EQ(h.tab.times, std::vector<std::string>{"--:--:--:--"});
    h.control.now.time = Timecode{1, 0, 12, 5};
    h.control.now.rate = TimecodeRate::DropFrame2997;
    h.presenter.tmrStatus_Timer();
    h.presenter.tmrStatus_Timer();
    h.control.now.rate = TimecodeRate::Ebu25;
    h.presenter.tmrStatus_Timer();
    h.control.now.time.reset();
    h.presenter.tmrStatus_Timer();
    EXPECT_EQ(h.tab.times, (std::vector<std::string>{"--:--:--:--", "01:00:12;05", "01:00:12:05", "--:--:--:--"}));
}

TEST(TimecodeOptionsPresenter, TheInputListFollowsTheSystem)
{
    Harness h;
    h.put("Source", "3");
    h.put("LtcDevice", "alsa_input.line");
    h.load();
    EXPECT_EQ(h.tab.device, 2);
    h.presenter.devicesChanged({Inputs[1]});
    EXPECT_EQ(h.tab.devices, std::vector<std::string>{"Line-In"});
    EXPECT_EQ(h.tab.device, 1);
    EXPECT_TRUE(h.tab.deviceEnabled);
    h.presenter.cboLtcDevice_Click(2);  // not in the list any more
    h.presenter.cboLtcDevice_Click(-1);
    EXPECT_TRUE(h.control.applied.empty());
    h.presenter.cboLtcDevice_Click(0);
    EXPECT_EQ(h.stored("LtcDevice"), "");
}

}  // namespace
}  // namespace tinctara
