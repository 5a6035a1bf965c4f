// Every service test gets a runtime folder of its own, the virtual bus, and
// ends the services it started.
#pragma once

#include "protocol/Protocol.h"

#include <gtest/gtest.h>

#include <sys/types.h>

#include <string>
#include <vector>

namespace hwport::testing {

inline constexpr const char* driverName = "hwport32d";
inline constexpr const char* deviceName = "hwport32";

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string socketPath() const { return protocol::socketPath(runtimeDir_, deviceName); }
    // Ends the service named in the pid file and waits until it has gone.
    void stopService();

    std::string runtimeDir_;
};

// Speaks the wire protocol directly, for what the library would never send.
class RawClient {
public:
    explicit RawClient(const std::string& path);
    ~RawClient();
    bool connected() const { return fd_ >= 0; }
    // True when the service greets; false when it closes the connection.
    bool hello(int timeoutMs = 2000);

    struct Reply {
        bool received = false;
        uint32_t status = 0;
        std::vector<unsigned char> data;
    };
    Reply control(uint32_t code, const std::vector<unsigned char>& in, uint32_t outLength, int sendFd = -1);
    // Sends bytes as they are, header and all.
    Reply sendRaw(const std::vector<unsigned char>& message);

private:
    Reply receive();
    int fd_ = -1;
};

// Waits until path exists, at most timeoutMs.
bool waitForFile(const std::string& path, int timeoutMs);

}  // namespace hwport::testing
