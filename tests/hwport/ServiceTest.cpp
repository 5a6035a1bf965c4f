// The library against the virtual service, end to end.
#include "ServiceFixture.h"
#include "hwport32.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace hwport::testing {
namespace {

namespace p = protocol;

// A connection that is closed and freed however the test ends.
struct Connection {
    HwPort32Connection* c = OpenHWPORT32(nullptr, driverName, deviceName);
    ~Connection()
    {
        CloseHWPORT32(c);
        std::free(c);
    }
    operator HwPort32Connection*() const { return c; }
};

// Collects what callbacks report from the library's threads.
struct Events {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint32_t> values;
    std::vector<std::thread::id> threads;
    std::vector<void*> data;

    void add(uint32_t value, void* with = nullptr)
    {
        std::lock_guard lock(mutex);
        values.push_back(value);
        threads.push_back(std::this_thread::get_id());
        data.push_back(with);
        changed.notify_all();
    }
    bool waitFor(size_t count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] { return values.size() >= count; });
    }
};

Events* current = nullptr;

using ServiceIo = ServiceTest;

TEST_F(ServiceIo, OpenStartsTheServiceWhichOutlivesClose)
{
    {
        Connection c;
        ASSERT_EQ(GetActiveHW(c), 1u);
        struct stat socketFile {};
        ASSERT_EQ(stat(socketPath().c_str(), &socketFile), 0);
        EXPECT_EQ(socketFile.st_mode & 0777, 0600u) << "only its user may open the door";
        EXPECT_EQ(socketFile.st_uid, getuid());
    }
    EXPECT_TRUE(RawClient(socketPath()).hello()) << "still serving after close";
    Connection again;
    EXPECT_EQ(GetActiveHW(again), 1u);
}

TEST_F(ServiceIo, PortsOfTheVirtualBus)
{
    Connection c;
    ASSERT_EQ(GetActiveHW(c), 1u);
    SetPortByte(c, 0x300, 0x1A5);
    EXPECT_EQ(GetPortByte(c, 0x300), 0xA5);
    SetPortLong(c, 0x300, 0x11223344);
    EXPECT_EQ(GetPortWord(c, 0x302), 0x1122);
    EXPECT_EQ(GetPortLong(c, 0x300), 0x11223344u);
    SetPortWord(c, 0x304, 0xBEEF);
    EXPECT_EQ(GetPortByte(c, 0x305), 0xBE);
    EXPECT_EQ(GetPortByte(c, 0x200), 0xFF) << "nothing answers there";
    EXPECT_EQ(GetPortLong(c, 0xFFFE), 0u) << "refused past the port space: the answer stays zero";

    SetHardAccess(c, 0);
    EXPECT_EQ(GetHardAccess(c), 1u) << "no port instructions while the bus is virtual";
}

TEST_F(ServiceIo, FifoBlocksRoundTrip)
{
    Connection c;
    ASSERT_EQ(GetActiveHW(c), 1u);
    struct Case {
        void (*write)(HwPort32Connection*, void*);
        void (*read)(HwPort32Connection*, void*);
        uint32_t width;
        uint32_t count;
    };
    const Case cases[] = {
        {WritePortFIFO, ReadPortFIFO, 1, 3},
        {WritePortWFIFO, ReadPortWFIFO, 2, 3},
        {WritePortLFIFO, ReadPortLFIFO, 4, 3},
        {WritePortFIFO, ReadPortFIFO, 1, 65536},  // more than one message
    };
    for (const Case& test : cases) {
        std::vector<unsigned char> out(8 + size_t(test.count) * test.width);
        p::put32(out.data(), 0x310);
        p::put32(out.data() + 4, test.count);
        for (size_t i = 8; i < out.size(); ++i)
            out[i] = uint8_t(i * 7);
        test.write(c, out.data());
        std::vector<unsigned char> in(out.size(), 0);
        std::memcpy(in.data(), out.data(), 8);
        test.read(c, in.data());
        EXPECT_EQ(in, out) << "width " << test.width << " count " << test.count;
    }
    EXPECT_EQ(GetPortByte(c, 0x310), 0xFF) << "the FIFO is empty again";
}

TEST_F(ServiceIo, BiosTableOfTheVirtualMachine)
{
    struct Case {
        const char* table;
        uint32_t ports;
        uint32_t base;
    };
    for (const Case& test : {Case{nullptr, 2, 0x378}, Case{"0x3BC,0x378,0x278", 3, 0x3BC}, Case{"0,0,0", 0, 0}}) {
        stopService();
        if (test.table != nullptr)
            setenv("HWPORT32_VIRTUAL_LPT", test.table, 1);
        Connection c;
        ASSERT_EQ(GetActiveHW(c), 1u);
        EXPECT_EQ(GetLPTNumPorts(c), test.ports) << (test.table ? test.table : "default");
        EXPECT_EQ(GetLPTBasePort(c), test.base);
    }
}

TEST_F(ServiceIo, ParallelPortThroughALoopbackPlug)
{
    Connection c;
    ASSERT_EQ(GetActiveHW(c), 1u);
    // Data line 4 drives busy, which reads inverted in the status register.
    SetPin(c, 6, 1);
    EXPECT_EQ(GetPortByte(c, 0x379) & 0x80, 0);
    EXPECT_EQ(GetPin(c, 11), 1u);
    EXPECT_EQ(GetLPTBusy(c), 1u);
    SetPin(c, 6, 0);
    EXPECT_EQ(GetPin(c, 11), 0u);

    EXPECT_EQ(LPTPrintChar(c, 'A'), 1u);
    EXPECT_EQ(GetPortByte(c, 0x378), 'A');
    EXPECT_EQ(LPTPrintChar(c, 0x10), 0u) << "data line 0 low reads as error, line 4 as busy";

    SetLPTNumber(c, 2);
    EXPECT_EQ(GetLPTBasePort(c), 0x278u);
    EXPECT_EQ(GetPortByte(c, 0x278), 0) << "the second port keeps its own data";
}

TEST_F(ServiceIo, InterruptReachesTheCallbackOnTheDispatchThread)
{
    Connection c;
    ASSERT_EQ(GetActiveHW(c), 1u);
    Events events;
    current = &events;
    int tag = 0;
    UnmaskIRQ(c, 7, [](uint32_t line) { current->add(line); });
    UnmaskDelphiIRQ(c, &tag, 5, [](void* data, uint32_t line) { current->add(line, data); });
    ASSERT_EQ(IsIRQMasked(c, 7), 0u);

    ForceIrqLPT(c, 1);
    LPTStrobe(c);  // acknowledge from the plug: IRQ 7
    ASSERT_TRUE(events.waitFor(1));
    SetLPTNumber(c, 2);
    ForceIrqLPT(c, 1);
    LPTStrobe(c);  // the second port interrupts on line 5
    ASSERT_TRUE(events.waitFor(2));
    {
        std::lock_guard lock(events.mutex);
        EXPECT_EQ(events.values, (std::vector<uint32_t>{7, 5}));
        EXPECT_NE(events.threads[0], std::this_thread::get_id());
        EXPECT_EQ(events.threads[0], events.threads[1]) << "one dispatch thread";
        EXPECT_EQ(events.data[1], &tag);
    }
    EXPECT_EQ(GetIRQCounter(c, 7), 1u) << "counted by the service";
    MaskIRQ(c, 7);
    EXPECT_EQ(IsIRQMasked(c, 7), 1u);
    EXPECT_EQ(GetIRQCounter(c, 7), 1u) << "a masked line reports what was handled";
    CloseHWPORT32(c);
    current = nullptr;
}

TEST_F(ServiceIo, KeyboardHookDeliversScanCodes)
{
    Connection c;
    ASSERT_EQ(GetActiveHW(c), 1u);
    Events events;
    current = &events;
    HookKeyboard(c, [](uint32_t code) { current->add(code); });
    PutScanCode(c, 0x11E);  // only the low byte travels
    ASSERT_TRUE(events.waitFor(1));
    PutScanCode(c, 0x9E);
    ASSERT_TRUE(events.waitFor(2));
    EXPECT_EQ(GetScanCode(c), 0x9Eu);
    PulseKeyboard(c);
    ASSERT_TRUE(events.waitFor(3));
    PulseKeyboardLocal(c);
    ASSERT_TRUE(events.waitFor(4));
    UnhookKeyboard(c);
    {
        std::lock_guard lock(events.mutex);
        EXPECT_EQ(events.values, (std::vector<uint32_t>{0x1E, 0x9E, 119, 85}));
        EXPECT_NE(events.threads[0], std::this_thread::get_id());
    }
    int tag = 0;
    HookDelphiKeyboard(c, &tag, [](void* data, uint32_t code) { current->add(code, data); });
    PutScanCode(c, 0x1F);
    ASSERT_TRUE(events.waitFor(5));
    CloseHWPORT32(c);  // unhooks
    std::lock_guard lock(events.mutex);
    EXPECT_EQ(events.values.back(), 0x1Fu);
    EXPECT_EQ(events.data.back(), &tag);
    current = nullptr;
}

HwPort32Connection* calling = nullptr;

// A callback may end what called it without deadlocking on its own thread.
TEST_F(ServiceIo, CallbacksMayUnhookAndClose)
{
    // The record outlives the test: a detached thread may still read it.
    alignas(16) static unsigned char record[HWPORT32_CONNECTION_SIZE];
    calling = OpenHWPORT32(reinterpret_cast<HwPort32Connection*>(record), driverName, deviceName);
    ASSERT_EQ(GetActiveHW(calling), 1u);
    Events events;
    current = &events;

    static Events rehooked;
    HookKeyboard(calling, [](uint32_t code) {
        UnhookKeyboard(calling);
        current->add(code);
        // Return only once the next hook is in place: the old thread must
        // then end rather than serve beside the new one.
        rehooked.waitFor(1);
    });
    PutScanCode(calling, 0x10);
    ASSERT_TRUE(events.waitFor(1));
    HookKeyboard(calling, [](uint32_t code) { current->add(code); });
    rehooked.add(0);
    constexpr uint32_t codes = 20;
    for (uint32_t i = 0; i < codes; ++i)
        PutScanCode(calling, 0x11);
    ASSERT_TRUE(events.waitFor(1 + codes)) << "hooked again after unhooking from the callback";
    UnhookKeyboard(calling);
    {
        std::lock_guard lock(events.mutex);
        for (uint32_t i = 2; i <= codes; ++i)
            ASSERT_EQ(events.threads[i], events.threads[1]) << "one keyboard thread at a time";
        events.values.resize(2);
    }

    UnmaskIRQ(calling, 7, [](uint32_t line) {
        CloseHWPORT32(calling);
        current->add(line);
    });
    ForceIrqLPT(calling, 1);
    LPTStrobe(calling);
    ASSERT_TRUE(events.waitFor(3));
    EXPECT_EQ(GetActiveHW(calling), 0u);
    std::lock_guard lock(events.mutex);
    EXPECT_EQ(events.values, (std::vector<uint32_t>{0x10, 0x11, 7}));
    current = nullptr;
}

TEST_F(ServiceIo, PciAndDiskOfTheVirtualMachine)
{
    Connection c;
    ASSERT_EQ(GetActiveHW(c), 1u);
    EXPECT_EQ(GetLastPciBus(c), 1u);
    EXPECT_EQ(GetHardwareMechanism(c), 1u);
    unsigned char config[256];
    EXPECT_EQ(GetPciDeviceInfo(c, 0, 3, 0, config), 1u);
    EXPECT_EQ(p::get16(config), 0x7A55);
    EXPECT_EQ(config[0x0B], 0x07);
    EXPECT_EQ(GetPciDeviceInfo(c, 0, 5, 0, config), 1u);
    EXPECT_EQ(p::get32(config), 0xFFFFFFFFu) << "an empty slot reads all ones";
    EXPECT_EQ(GetPciDeviceInfo(c, 0, 40, 0, config), 0u) << "no device 40 on a bus";

    HwPort32HddInfo info{};
    ASSERT_EQ(GetHDDInfo(c, 0, 0, &info), 1u);
    EXPECT_STREQ(info.model, "TINCTARA VIRTUAL DISK                   ");
    EXPECT_STREQ(info.serial, "VD2026120800001     ");
    EXPECT_STREQ(info.firmware, "1.21    ");
    EXPECT_EQ(info.cylinders, 16383u);
    EXPECT_EQ(info.heads, 16u);
    EXPECT_EQ(info.sectorsPerTrack, 63u);
    EXPECT_EQ(info.bufferSize, 512u * 512u);
    EXPECT_EQ(GetHDDInfo(c, 1, 0, &info), 0u);
}

TEST_F(ServiceIo, MappedMemoryLivesInTheCallersAddressSpace)
{
    Connection c;
    ASSERT_EQ(GetActiveHW(c), 1u);
    const uintptr_t a = MapPhysToLinear(c, 0xB8000, 0x1000);
    ASSERT_NE(a, 0u);
    SetMemL(c, a, 0x10, 0xCAFEF00D);
    const uintptr_t table = MapPhysToLinear(c, 0x408, 6);
    EXPECT_EQ(GetMemW(c, table, 0), 0x378) << "reused from open";

    Connection other;
    const uintptr_t b = MapPhysToLinear(other, 0xB8010, 4);
    ASSERT_NE(b, 0u);
    EXPECT_EQ(GetMemL(other, b, 0), 0xCAFEF00Du) << "the same physical memory";
    EXPECT_EQ(MapPhysToLinear(c, 0xFFFF0, 0x100), 0u) << "past the end of the virtual memory";
}

// Requests the library would never send: the service refuses them untouched.
TEST_F(ServiceIo, ServiceRefusesMalformedRequests)
{
    {
        Connection start;
        ASSERT_EQ(GetActiveHW(start), 1u);
    }
    RawClient raw(socketPath());
    ASSERT_TRUE(raw.hello());

    auto bytes = [](std::initializer_list<uint32_t> words) {
        std::vector<unsigned char> out;
        for (uint32_t w : words) {
            out.resize(out.size() + 4);
            p::put32(out.data() + out.size() - 4, w);
        }
        return out;
    };
    struct Case {
        const char* what;
        uint32_t code;
        std::vector<unsigned char> in;
        uint32_t outLength;
        uint32_t status;
    };
    const int event = eventfd(0, EFD_CLOEXEC);
    const std::vector<Case> cases = {
        {"unused function 9", p::fullCode(9), bytes({0x300}), 4, p::UnknownCode},
        {"unused function 22", 22, {}, 0, p::UnknownCode},
        {"foreign code", 0x00221234, bytes({0x300}), 4, p::UnknownCode},
        {"short port read", p::fullCode(p::PortInByte), {0x00, 0x03}, 4, p::BadLength},
        {"short port write", p::fullCode(p::PortOutByte), {0x00, 0x03, 0, 0, 0x55, 0}, 0, p::BadLength},
        {"port read answer too short", p::fullCode(p::PortInLong), bytes({0x300}), 2, p::BadLength},
        {"FIFO shorter than its count", p::fullCode(p::FifoOutByte), bytes({0x300, 100, 0x55555555}), 108,
         p::BadLength},
        {"FIFO answer shorter", p::fullCode(p::FifoInByte), bytes({0x310, 4, 0}), 8, p::BadLength},
        {"FIFO without header", p::fullCode(p::FifoInByte), {1, 2, 3}, 3, p::BadLength},
        {"port past 0xFFFF", p::fullCode(p::PortOutLong), bytes({0xFFFE, 1}), 0, p::BadArgument},
        {"map of no length", p::fullCode(p::MapMemory), bytes({1, 0, 0x1000, 0, 0, 0}), 4, p::BadArgument},
        {"map above 4 GB", p::fullCode(p::MapMemory), bytes({1, 0, 0x1000, 1, 0, 16}), 4, p::BadArgument},
        {"map of I/O space", p::fullCode(p::MapMemory), bytes({1, 0, 0x1000, 0, 1, 16}), 4, p::BadArgument},
        {"unknown mapping", p::fullCode(p::UnmapMemory), bytes({12345}), 0, p::BadArgument},
        {"unmask without event", p::fullCode(p::UnmaskIrq), bytes({5, 3, 1}), 0, p::BadArgument},
        {"counter of line 16", p::fullCode(p::IrqCounter), {16, 0}, 4, p::BadArgument},
        {"disk 4", p::fullCode(p::HddIdentify), {4, 0, 0, 0}, 512, p::BadArgument},
        {"scan code above a byte", p::fullCode(p::PutScanCode), bytes({0x100}), 0, p::BadArgument},
    };
    for (const Case& test : cases) {
        const RawClient::Reply reply = raw.control(test.code, test.in, test.outLength);
        ASSERT_TRUE(reply.received) << test.what;
        EXPECT_EQ(reply.status, test.status) << test.what;
        EXPECT_TRUE(reply.data.empty()) << test.what;
    }
    // An event may only come with the requests that take one.
    const RawClient::Reply withEvent = raw.control(p::fullCode(p::PortOutByte), bytes({0x300, 0x77}), 0, event);
    EXPECT_EQ(withEvent.status, uint32_t(p::BadArgument));
    ::close(event);

    p::RequestHeader header{p::magic, p::OpControl, p::fullCode(p::PortOutByte), 8, 0};
    std::vector<unsigned char> lying(sizeof header);
    std::memcpy(lying.data(), &header, sizeof header);
    lying.insert(lying.end(), {0x00, 0x03, 0, 0});  // says 8 bytes, brings 4
    EXPECT_EQ(raw.sendRaw(lying).status, uint32_t(p::BadMessage));
    EXPECT_EQ(raw.sendRaw({1, 2, 3}).status, uint32_t(p::BadMessage));

    // Nothing above reached the bus, and the service still serves.
    const RawClient::Reply latch = raw.control(p::fullCode(p::PortInByte), bytes({0x300}), 4);
    ASSERT_TRUE(latch.received);
    EXPECT_EQ(latch.status, uint32_t(p::Ok));
    EXPECT_EQ(latch.data, bytes({0}));
    EXPECT_EQ(raw.control(p::shortCode(p::PortInByte), bytes({0x300}), 4).status, uint32_t(p::Ok))
        << "the short form of a code is understood";
}

// The service lets in only the user who started it.
TEST_F(ServiceIo, ServiceRefusesAnotherUser)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as two users";
    constexpr uid_t nobody = 65534;
    // A service started by "nobody": we, root, are the other user here.
    ASSERT_EQ(chown(runtimeDir_.c_str(), nobody, nobody), 0);
    const pid_t service = fork();
    ASSERT_GE(service, 0);
    if (service == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(126);
        if (access(HWPORT32D_PATH, X_OK) != 0)
            _exit(125);  // the build folder is closed to other users
        execl(HWPORT32D_PATH, HWPORT32D_PATH, "--device", deviceName, "--foreground", "--virtual",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    bool listening = false;
    for (int waited = 0; waited < 5000 && !listening; waited += 10) {
        if (waitpid(service, &status, WNOHANG) == service) {
            if (WIFEXITED(status) && WEXITSTATUS(status) >= 125 && WEXITSTATUS(status) <= 126)
                GTEST_SKIP() << "cannot run the service as another user here";
            FAIL() << "service as nobody ended early";
        }
        listening = waitForFile(socketPath(), 10);
    }
    if (listening) {
        struct stat socketFile {};
        ASSERT_EQ(stat(socketPath().c_str(), &socketFile), 0);
        EXPECT_EQ(socketFile.st_uid, nobody);
        EXPECT_EQ(socketFile.st_mode & 0777, 0600u);
        RawClient intruder(socketPath());
        ASSERT_TRUE(intruder.connected()) << "root passes the file permissions";
        EXPECT_FALSE(intruder.hello()) << "but not the credential check";
        Connection c;
        EXPECT_EQ(GetActiveHW(c), 0u);
        EXPECT_EQ(GetPortByte(c, 0x300), 0xFF);
    }
    kill(service, SIGTERM);
    waitpid(service, &status, 0);
    ASSERT_TRUE(listening) << "service as nobody did not start";
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) >= 126);

    // And the other way round: a service of root, a client as nobody.
    ASSERT_EQ(chown(runtimeDir_.c_str(), 0, 0), 0);
    {
        Connection start;
        ASSERT_EQ(GetActiveHW(start), 1u);
    }
    const pid_t client = fork();
    ASSERT_GE(client, 0);
    if (client == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(126);
        RawClient outsider(socketPath());
        _exit(outsider.connected() ? 1 : 0);
    }
    waitpid(client, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "nobody reached root's socket";
}

}  // namespace
}  // namespace hwport::testing
