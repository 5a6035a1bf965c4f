// The C interface of libtinctaraio: one bus per process, behind a lock, so
// that every library of the process that reaches ports sees the same devices.
#include "tinctara_portio.h"

#include "HardwareConfig.h"
#include "PortBackends.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#define PORTIO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace tinctara::hardware;

struct Bus {
    HardwareConfig config;
    std::unique_ptr<PortBackend> backend;
    VirtualBus* virtualBus = nullptr;  // null on the direct backend
    std::string problem;
};

std::mutex busLock;
std::unique_ptr<Bus> bus;

std::string ownFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&PortIoRead), &info) && info.dli_fname)
        return std::filesystem::path(info.dli_fname).parent_path().string();
    return ".";
}

constexpr const char* BatteryFileName = "memorycard.bin";

// `folder` empty: a bus whose devices keep nothing between runs.
int configureLocked(const std::string& folder, const char* backend, const HardwareConfig* given = nullptr)
{
    auto next = std::make_unique<Bus>();
    next->config = given ? *given : readHardwareConfig(folder);
    next->problem = next->config.problems;
    bool direct = next->config.direct;
    if (backend && *backend) {
        if (std::strcmp(backend, "direct") == 0)
            direct = true;
        else if (std::strcmp(backend, "virtual") == 0)
            direct = false;
        else
            next->problem +=
                std::string("unbekannter Port-Zugriff \"") + backend + "\"; der virtuelle Bus wird benutzt\n";
    }
    if (direct) {
        auto ports = std::make_unique<DirectPorts>();
        if (!ports->usable())
            next->problem += ports->problem() + "\n";
        next->backend = std::move(ports);
    } else {
        // The memory card's battery is a file of the program folder; a
        // folder that does not exist has none.
        std::error_code error;
        const bool hasFolder = !folder.empty() && std::filesystem::is_directory(folder, error);
        auto virtualBus = std::make_unique<VirtualBus>(next->config.cards, next->config.memoryCardSize,
                                                       hasFolder ? folder + "/" + BatteryFileName : std::string());
        if (virtualBus->memoryCard() && !virtualBus->memoryCard()->problem().empty())
            next->problem += virtualBus->memoryCard()->problem() + "\n";
        next->virtualBus = virtualBus.get();
        next->backend = std::move(virtualBus);
    }
    // Said once, where it happened; the program may show it again to the user.
    if (!next->problem.empty())
        std::fprintf(stderr, "libtinctaraio: %s", next->problem.c_str());
    bus = std::move(next);
    return direct ? PORTIO_DIRECT : PORTIO_VIRTUAL;
}

Bus& current()
{
    if (!bus)
        configureLocked(ownFolder(), nullptr);
    return *bus;
}

IsaCardDevice* cardAt(unsigned int base)
{
    Bus& b = current();
    return b.virtualBus ? b.virtualBus->cardAt(base) : nullptr;
}

int copyText(const std::string& text, char* out, int size)
{
    if (out && size > 0) {
        const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size) - 1);
        std::memcpy(out, text.data(), n);
        out[n] = '\0';
    }
    return static_cast<int>(text.size());
}

}  // namespace

PORTIO_EXPORT int PortIoConfigure(const char* programFolder, const char* backend)
{
    std::lock_guard guard(busLock);
    return configureLocked(programFolder && *programFolder ? programFolder : ownFolder(), backend);
}

PORTIO_EXPORT int PortIoConfigureVirtual(const char* hardwareIni)
{
    const HardwareConfig config = parseHardwareConfig(hardwareIni ? hardwareIni : "");
    std::lock_guard guard(busLock);
    return configureLocked({}, "virtual", &config);
}

PORTIO_EXPORT int PortIoBackend(void)
{
    std::lock_guard guard(busLock);
    return current().virtualBus ? PORTIO_VIRTUAL : PORTIO_DIRECT;
}

PORTIO_EXPORT int PortIoProblem(char* text, int size)
{
    std::lock_guard guard(busLock);
    return copyText(current().problem, text, size);
}

PORTIO_EXPORT unsigned char PortIoRead(unsigned int port)
{
    std::lock_guard guard(busLock);
    return current().backend->read(port);
}

PORTIO_EXPORT void PortIoWrite(unsigned int port, unsigned char value)
{
    std::lock_guard guard(busLock);
    current().backend->write(port, value);
}

PORTIO_EXPORT int PortIoSetting(const char* section, const char* key, char* value, int size)
{
    if (!section || !key)
        return -1;
    std::lock_guard guard(busLock);
    const std::string* found = current().config.setting(section, key);
    return found ? copyText(*found, value, size) : -1;
}

PORTIO_EXPORT int VirtualIsaCardMemory(unsigned int base, unsigned int address, unsigned char* out, unsigned int length)
{
    std::lock_guard guard(busLock);
    IsaCardDevice* card = cardAt(base);
    if (!card)
        return -1;
    if (!out || address >= card->memory().size())
        return 0;
    const std::size_t n = std::min<std::size_t>(length, card->memory().size() - address);
    std::copy_n(card->memory().begin() + address, n, out);
    return static_cast<int>(n);
}

PORTIO_EXPORT int VirtualIsaCardFrame(unsigned int base, unsigned char* out, unsigned int size)
{
    std::lock_guard guard(busLock);
    IsaCardDevice* card = cardAt(base);
    return card ? static_cast<int>(card->frame(out, size)) : -1;
}

PORTIO_EXPORT int VirtualIsaCardRunning(unsigned int base)
{
    std::lock_guard guard(busLock);
    IsaCardDevice* card = cardAt(base);
    return card ? (card->running() ? 1 : 0) : -1;
}

PORTIO_EXPORT int VirtualMemoryCardSize(void)
{
    std::lock_guard guard(busLock);
    Bus& b = current();
    const MemoryCardDevice* card = b.virtualBus ? b.virtualBus->memoryCard() : nullptr;
    return card ? static_cast<int>(card->size()) : -1;
}

PORTIO_EXPORT int VirtualMemoryCardMemory(unsigned int address, unsigned char* out, unsigned int length)
{
    std::lock_guard guard(busLock);
    Bus& b = current();
    const MemoryCardDevice* card = b.virtualBus ? b.virtualBus->memoryCard() : nullptr;
    if (!card)
        return -1;
    if (!out || address >= card->size())
        return 0;
    const std::size_t n = std::min<std::size_t>(length, card->size() - address);
    std::copy_n(card->memory() + address, n, out);
    return static_cast<int>(n);
}
