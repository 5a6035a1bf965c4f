#include "remote/RemoteOnDemand.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

struct RecordingServer : RemoteControl {
    std::string start(const RemoteSettings& settings) override
    {
        now = settings;
        listening = true;
        return {};
    }
    void stop() override { listening = false; }
    bool running() const override { return listening; }
    RemoteSettings current() const override { return now; }
    std::vector<std::string> addresses() const override { return {"127.0.0.1", "10.0.0.7"}; }

    RemoteSettings now;
    bool listening = false;
};

// The network code is loaded only for a start or the list of addresses; a
// program whose remote stays off never loads it.
TEST(RemoteOnDemand, LoadsTheServerOnlyWhenItIsNeeded)
{
    int loads = 0;
    RemoteOnDemand remote([&loads](std::string&) {
        ++loads;
        return std::make_unique<RecordingServer>();
    });
    EXPECT_FALSE(remote.running());
    EXPECT_EQ(remote.current().code, "");
    remote.stop();
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(remote.loaded(), nullptr);

    RemoteSettings settings;
    settings.port = 8123;
    settings.code = "abc";
    EXPECT_EQ(remote.start(settings), "");
    EXPECT_TRUE(remote.running());
    EXPECT_EQ(remote.current().port, 8123);
    EXPECT_EQ(remote.addresses().size(), 2u);
    remote.stop();
    EXPECT_FALSE(remote.running());
    EXPECT_EQ(loads, 1);
}

// A module that cannot be loaded: every start says why (it is tried once),
// the program runs on without a remote and still offers the local address.
TEST(RemoteOnDemand, AMissingModuleIsReportedAndTriedOnce)
{
    int loads = 0;
    RemoteOnDemand remote([&loads](std::string& problem) -> std::unique_ptr<RemoteControl> {
        ++loads;
        problem = "Die Fernbedienung kann nicht geladen werden (libtinctararemote.so).";
        return nullptr;
    });
    EXPECT_EQ(remote.start({}), "Die Fernbedienung kann nicht geladen werden (libtinctararemote.so).");
    EXPECT_EQ(remote.start({}), "Die Fernbedienung kann nicht geladen werden (libtinctararemote.so).");
    EXPECT_FALSE(remote.running());
    EXPECT_EQ(remote.addresses(), std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(loads, 1);

    RemoteOnDemand silent([](std::string&) { return std::unique_ptr<RemoteControl>(); });
    EXPECT_FALSE(silent.start({}).empty());
}

}  // namespace
}  // namespace tinctara
