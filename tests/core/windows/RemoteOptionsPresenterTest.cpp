#include "windows/RemoteOptionsPresenter.h"

#include "support/ControlFakes.h"
#include "support/MainWindowFakes.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

struct FakeRemote : testing::FakeService<RemoteControl, RemoteSettings> {
    std::vector<std::string> addresses() const override { return {"127.0.0.1", "192.168.7.20"}; }
};

struct Tab : RemoteOptionsView {
    void setRemoteOn(bool value) override { on = value; }
    void setAddresses(const std::vector<std::string>& list, const std::string& chosen) override
    {
        addresses = list;
        current = chosen;
    }
    void setPort(std::string_view text) override { port = text; }
    void setCode(std::string_view text) override { code = text; }
    void showUrl(std::string_view text) override { url = text; }
    void setStatus(std::string_view text) override { status = text; }

    bool on = false;
    std::vector<std::string> addresses;
    std::string current, port, code, url, status;
};

struct Harness {
    std::string stored(const char* key) { return store.read("TINCTARA", "Remote", key, "<none>"); }
    testing::FakeSettingsStore store;
    FakeRemote remote;
    Tab tab;
    RemoteOptionsPresenter presenter{store, remote, tab};
};

TEST(RemoteOptions, FirstOpeningMakesACodeAndShowsTheRemoteOff)
{
    Harness h;
    h.presenter.Form_Load();
    EXPECT_EQ(h.tab.code.size(), 22u);
    EXPECT_EQ(h.stored("Code"), h.tab.code);  // beside "Interface", in the per-user store
    EXPECT_EQ(h.tab.addresses, (std::vector<std::string>{"127.0.0.1", "192.168.7.20"}));
    EXPECT_EQ(h.tab.current, "127.0.0.1");
    EXPECT_EQ(h.tab.port, "8080");
    EXPECT_FALSE(h.tab.on);
    EXPECT_EQ(h.tab.url, "");
    EXPECT_EQ(h.tab.status, RemoteOptionsText::Off);
    EXPECT_TRUE(h.remote.starts.empty());
}

TEST(RemoteOptions, TurningOnStartsStoresAndShowsTheAddress)
{
    Harness h;
    h.presenter.Form_Load();
    h.presenter.cboAddress_Click("192.168.7.20");  // while off: only stored
    EXPECT_TRUE(h.remote.starts.empty());
    EXPECT_EQ(h.stored("Address"), "192.168.7.20");
    h.presenter.chkRemote_Click(true);
    ASSERT_EQ(h.remote.starts.size(), 1u);
    EXPECT_EQ(h.remote.starts[0].address, "192.168.7.20");
    EXPECT_EQ(h.stored("Enabled"), "1");
    EXPECT_TRUE(h.tab.on);
    EXPECT_EQ(h.tab.url, "http://192.168.7.20:8080/?code=" + h.tab.code);
    EXPECT_EQ(h.tab.status, RemoteOptionsText::On);

    // A new code restarts the remote with it, which lets every page go.
    const std::string old = h.tab.code;
    h.presenter.cmdNewCode_Click();
    ASSERT_EQ(h.remote.starts.size(), 2u);
    EXPECT_NE(h.remote.starts[1].code, old);
    EXPECT_EQ(h.stored("Code"), h.remote.starts[1].code);
    EXPECT_EQ(h.tab.status, RemoteOptionsText::NewCode);

    h.presenter.chkRemote_Click(false);
    EXPECT_EQ(h.remote.stops, 1);
    EXPECT_EQ(h.stored("Enabled"), "0");
    EXPECT_EQ(h.tab.url, "");
}

TEST(RemoteOptions, ATakenPortLeavesItOffWithTheReason)
{
    Harness h;
    h.presenter.Form_Load();
    h.remote.problem = "Fernbedienung: Port 8080 auf 127.0.0.1 ist belegt.";
    h.presenter.chkRemote_Click(true);
    EXPECT_FALSE(h.tab.on);
    EXPECT_EQ(h.tab.status, h.remote.problem);
    EXPECT_EQ(h.stored("Enabled"), "0");
    EXPECT_EQ(h.tab.url, "");
}

TEST(RemoteOptions, PortsOutsideTheRangeAreRefused)
{
    Harness h;
    h.presenter.Form_Load();
    h.presenter.chkRemote_Click(true);
    for (const char* text : {"", "80", "1023", "65536", "8o80", " 8081", "-9000", "99999999999"}) {
        h.presenter.txtPort_LostFocus(text);
        EXPECT_EQ(h.tab.status, RemoteOptionsText::BadPort) << text;
        EXPECT_EQ(h.tab.port, "8080") << text;
    }
    EXPECT_EQ(h.remote.starts.size(), 1u);
    h.presenter.txtPort_LostFocus("8090");
    ASSERT_EQ(h.remote.starts.size(), 2u);
    EXPECT_EQ(h.remote.starts[1].port, 8090);
    EXPECT_EQ(h.stored("Port"), "8090");
}

TEST(RemoteOptions, StoredSettingsAreReadBackAndDamagedOnesIgnored)
{
    testing::FakeSettingsStore store;
    RemoteSettings written{true, "10.0.0.5", 9001, "abcdefghijklmnopqrstuv"};
    storeRemoteSettings(store, written);
    const RemoteSettings read = loadRemoteSettings(store);
    EXPECT_TRUE(read.enabled);
    EXPECT_EQ(read.address, "10.0.0.5");
    EXPECT_EQ(read.port, 9001);
    EXPECT_EQ(read.code, written.code);
    store.write("TINCTARA", "Remote", "Port", "70000");
    store.write("TINCTARA", "Remote", "Address", "");
    EXPECT_EQ(loadRemoteSettings(store).port, 8080);
    EXPECT_EQ(loadRemoteSettings(store).address, "127.0.0.1");
}

}  // namespace
}  // namespace tinctara
