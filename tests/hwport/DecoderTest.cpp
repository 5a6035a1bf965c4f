// The service's request decoder on the virtual bus, without a socket: every
// request that carries an address and a length is checked at the edges of its
// range, where a sum would wrap at 2^64.
#include "service/Server.h"
#include "service/VirtualBus.h"

#include "protocol/Protocol.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace hwport::testing {
namespace {

namespace p = protocol;

constexpr uint64_t top = UINT64_MAX;

TEST(RangeWithin, EdgesAndWrapping)
{
    struct Case {
        uint64_t start, length, limit;
        bool within;
    };
    const Case cases[] = {
        {0, 0, 0, true},
        {0, 16, 16, true},
        {0, 17, 16, false},
        {16, 0, 16, true},
        {17, 0, 16, false},
        {15, 1, 16, true},
        {15, 2, 16, false},
        {top - 15, 32, 0x100000000ull, false},  // the sum wraps to 16
        {top - 15, 32, top, false},
        {top, 1, top, false},
        {top, 0, top, true},
        {0, top, top, true},
        {1, top, top, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(p::rangeWithin(c.start, c.length, c.limit), c.within)
            << c.start << " + " << c.length << " within " << c.limit;
}

class Decoder : public ::testing::Test {
protected:
    Decoder() : bus_(""), server_(service::ServerOptions{}, bus_)
    {
        int pair[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair), 0);
        client_ = pair[0];
        peer_ = pair[1];
        server_.adopt(client_);  // the server closes it
    }
    ~Decoder() override { ::close(peer_); }

    service::Server::Answer request(uint32_t n, const std::vector<unsigned char>& in, uint32_t outLength)
    {
        p::RequestHeader header{p::magic, p::OpControl, p::fullCode(n), uint32_t(in.size()), outLength};
        std::vector<unsigned char> message(sizeof header);
        std::memcpy(message.data(), &header, sizeof header);
        message.insert(message.end(), in.begin(), in.end());
        int fd = -1;
        service::Server::Answer answer = server_.handle(client_, message.data(), message.size(), false, fd);
        if (answer.fd >= 0)
            ::close(answer.fd);
        return answer;
    }

    static std::vector<unsigned char> mapRequest(uint64_t physical, uint32_t length)
    {
        std::vector<unsigned char> in(24, 0);
        p::put32(in.data(), 1);  // bus kind: ISA
        p::put32(in.data() + 8, uint32_t(physical));
        p::put32(in.data() + 12, uint32_t(physical >> 32));
        p::put32(in.data() + 20, length);
        return in;
    }

    service::VirtualBus bus_;
    service::Server server_;
    int client_ = -1;
    int peer_ = -1;
};

TEST_F(Decoder, MapRangesAtTheirEdges)
{
    ASSERT_TRUE(bus_.ready());
    constexpr uint64_t memory = service::VirtualBus::memorySize;
    struct Case {
        uint64_t physical;
        uint32_t length;
        uint32_t status;
    };
    const Case cases[] = {
        {top - 15, 32, p::BadArgument},  // wraps to 16 past zero
        {top, 1, p::BadArgument},
        {top - 0xFFF, 0x1000, p::BadArgument},
        {0x100000000ull, 1, p::BadArgument},  // beyond 32-bit physical addresses
        {0xFFFFFFFFull, 1, p::Failed},        // an address, but not on this bus
        {0xFFFFFFFFull, 2, p::BadArgument},
        {0, 0, p::BadArgument},
        {0, uint32_t(memory), p::Ok},
        {0, uint32_t(memory) + 1, p::Failed},
        {memory - 1, 1, p::Ok},
        {memory - 1, 2, p::Failed},
        {memory, 1, p::Failed},
    };
    for (const Case& c : cases) {
        const service::Server::Answer answer = request(p::MapMemory, mapRequest(c.physical, c.length), 4);
        EXPECT_EQ(answer.status, c.status) << std::hex << c.physical << " + " << c.length;
    }
}

TEST_F(Decoder, VirtualMemoryRefusesWrappingRanges)
{
    ASSERT_TRUE(bus_.ready());
    constexpr uint64_t memory = service::VirtualBus::memorySize;
    struct Case {
        uint64_t physical;
        uint32_t length;
        bool granted;
    };
    const Case cases[] = {
        {top - 15, 32, false},    {top, 1, false},    {memory - 16, 16, true},
        {memory - 16, 17, false}, {memory, 0, false}, {0, 1, true},
    };
    for (const Case& c : cases) {
        const int fd = bus_.physicalMemory(c.physical, c.length);
        EXPECT_EQ(fd >= 0, c.granted) << std::hex << c.physical << " + " << c.length;
        if (fd >= 0)
            ::close(fd);
    }
}

TEST_F(Decoder, PortRangesAtTheirEdges)
{
    struct Case {
        uint32_t n;
        uint32_t port;
        uint32_t status;
    };
    const Case cases[] = {
        {p::PortInByte, 0xFFFF, p::Ok},
        {p::PortInByte, 0x10000, p::BadArgument},
        {p::PortInWord, 0xFFFE, p::Ok},
        {p::PortInWord, 0xFFFF, p::BadArgument},
        {p::PortInLong, 0xFFFC, p::Ok},
        {p::PortInLong, 0xFFFD, p::BadArgument},
        {p::PortInLong, 0xFFFFFFFF, p::BadArgument},  // would wrap in 32 bits
        {p::PortOutLong, 0xFFFFFFFE, p::BadArgument},
        {p::PortOutByte, 0xFFFF, p::Ok},
    };
    for (const Case& c : cases) {
        const bool out = c.n >= p::PortOutByte;
        std::vector<unsigned char> in(out ? 8 : 4, 0);
        p::put32(in.data(), c.port);
        EXPECT_EQ(request(c.n, in, out ? 0 : 4).status, c.status) << c.n << " at " << std::hex << c.port;
    }
    // A FIFO names its port once, whatever its count.
    for (const auto& [port, status] :
         {std::pair{0xFFFCu, uint32_t(p::Ok)}, std::pair{0xFFFDu, uint32_t(p::BadArgument)},
          std::pair{0xFFFFFFFFu, uint32_t(p::BadArgument)}}) {
        std::vector<unsigned char> in(8 + 4 * 2, 0);
        p::put32(in.data(), port);
        p::put32(in.data() + 4, 2);
        EXPECT_EQ(request(p::FifoInLong, in, uint32_t(in.size())).status, status) << std::hex << port;
    }
}

}  // namespace
}  // namespace hwport::testing
