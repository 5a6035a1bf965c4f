#include "windows/MusicOptionsPresenter.h"

#include "support/MainWindowFakes.h"
#include "support/MusicFakes.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

struct Tab : MusicOptionsView {
    void setDevices(const std::vector<std::string>& list, int chosen) override
    {
        devices = list;
        current = chosen;
    }
    void setStatus(std::string_view text) override { status = text; }
    void setMeter(int value, std::string_view text) override
    {
        percent = value;
        tempo = text;
    }
    void setLevelOn(bool value) override { levelOn = value; }
    void setDepth(int value) override { depth = value; }
    void setAttack(int value) override { attack = value; }
    void setRelease(int value) override { release = value; }

    std::vector<std::string> devices;
    int current = -1;
    std::string status, tempo;
    int percent = -1, depth = -1, attack = -1, release = -1;
    bool levelOn = false;
};

struct Harness {
    std::string stored(const char* key) { return store.read("TINCTARA", "Music", key, "<none>"); }
    void load() { presenter.Form_Load(capture.present); }
    testing::FakeSettingsStore store;
    MusicSync music;
    testing::FakeMusicCapture capture;
    Tab tab;
    MusicOptionsPresenter presenter{store, music, capture, tab};
};

TEST(MusicOptionsPresenter, FirstOpeningListsTheInputsWithNoneChosen)
{
    Harness h;
    h.load();
    EXPECT_EQ(h.tab.devices, (std::vector<std::string>{"USB-Mikrofon", "Monitor of Null"}));
    EXPECT_EQ(h.tab.current, 0);
    EXPECT_EQ(h.tab.status, "Kein Gerät gewählt.");
    EXPECT_EQ(h.tab.tempo, "Tempo: –");
    EXPECT_EQ(h.tab.percent, 0);
    EXPECT_FALSE(h.tab.levelOn);
    EXPECT_EQ(h.tab.depth, 100);
    EXPECT_EQ(h.tab.attack, 0);
    EXPECT_EQ(h.tab.release, 10);
    EXPECT_TRUE(h.capture.starts.empty());
    EXPECT_EQ(h.stored("Device"), "<none>");  // opening writes nothing
}

TEST(MusicOptionsPresenter, ChoosingADeviceStoresItAndSaysWhatItHears)
{
    const struct {
        const char* name;
        int index;
        std::string broken;
        std::string storedDevice;
        std::string status;
    } cases[] = {
        {"heard", 1, "", "alsa_input.usb", "Hört auf USB-Mikrofon (48000 Hz)."},
        {"cannot open", 2, "monitor.null", "monitor.null", "Das Gerät Monitor of Null kann nicht geöffnet werden."},
        {"none", 0, "", "", "Kein Gerät gewählt."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.store.write("TINCTARA", "Music", "Device", "alsa_input.usb");
        h.capture.start("alsa_input.usb");
        h.capture.starts.clear();
        h.load();
        EXPECT_EQ(h.tab.current, 1);
        h.capture.broken = c.broken;
        h.presenter.cboDevice_Click(c.index);
        EXPECT_EQ(h.stored("Device"), c.storedDevice);
        EXPECT_EQ(h.tab.status, c.status);
        // The device heard already is not started again.
        EXPECT_EQ(h.capture.starts,
                  (c.index == 1 ? std::vector<std::string>{} : std::vector<std::string>{c.storedDevice}));
    }
}

TEST(MusicOptionsPresenter, ADeviceThatGoesOrFailsIsShownWithoutBeingAsked)
{
    Harness h;
    h.load();
    h.presenter.cboDevice_Click(2);
    EXPECT_EQ(h.tab.status, "Hört auf Monitor of Null (48000 Hz).");

    h.capture.present.pop_back();
    h.presenter.devicesChanged(h.capture.present);
    EXPECT_EQ(h.tab.devices, std::vector<std::string>{"USB-Mikrofon"});
    EXPECT_EQ(h.tab.current, 0);
    EXPECT_EQ(h.tab.status, "Das Gerät Monitor of Null ist nicht mehr da.");
    EXPECT_EQ(h.stored("Device"), "monitor.null");  // it may come back

    // The capture finds out at its own pace; the timer shows what it says.
    h.presenter.cboDevice_Click(1);
    h.capture.now.state = CaptureStatus::State::Failed;
    h.presenter.tmrMeter_Timer();
    EXPECT_EQ(h.tab.status, "Das Gerät USB-Mikrofon kann nicht geöffnet werden.");
    EXPECT_EQ(h.tab.tempo, "Tempo: –");
}

TEST(MusicOptionsPresenter, TheMeterShowsLevelAndTempoWhileListening)
{
    Harness h;
    h.capture.loudness = 0.424;
    h.capture.tempo = 119.6;
    h.load();
    EXPECT_EQ(h.tab.percent, 0);  // nothing heard yet
    h.presenter.cboDevice_Click(1);
    EXPECT_EQ(h.tab.percent, 42);
    EXPECT_EQ(h.tab.tempo, "Tempo: 119,6 BPM");  // as the sequencer window shows it
    h.capture.tempo = 0;
    h.capture.loudness = 1.7;
    h.presenter.tmrMeter_Timer();
    EXPECT_EQ(h.tab.percent, 100);
    EXPECT_EQ(h.tab.tempo, "Tempo: –");
}

TEST(MusicOptionsPresenter, PegelFieldsAreStoredAndAppliedAtOnceKeepingTheBeat)
{
    Harness h;
    MusicSettings beat;
    beat.beat = true;
    beat.beatsPerStep = 2;
    beat.blendPercent = 80;
    h.music.setSettings(beat);
    h.load();

    h.presenter.chkLevel_Click(true);
    EXPECT_TRUE(h.music.settings().level);
    EXPECT_EQ(h.stored("Level"), "1");
    h.presenter.spnDepth_Change(40);
    h.presenter.spnAttack_Change(5);
    h.presenter.spnRelease_Change(250);  // over the top: the most there is
    const MusicSettings& now = h.music.settings();
    EXPECT_EQ(now.depth, 40);
    EXPECT_EQ(now.attackTicks, 5);
    EXPECT_EQ(now.releaseTicks, 200);
    EXPECT_TRUE(now.beat);
    EXPECT_EQ(now.beatsPerStep, 2);
    EXPECT_EQ(now.blendPercent, 80);
    EXPECT_EQ(loadMusicOptions(h.store), (MusicOptions{"", true, 40, 5, 200}));
    EXPECT_TRUE(h.capture.starts.empty());  // the Pegel leaves the capture alone
}

}  // namespace
}  // namespace tinctara
