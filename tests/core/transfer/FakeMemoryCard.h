#pragma once

#include "platform/Clock.h"
#include "support/Fakes.h"
#include "transfer/MemoryCard.h"
#include "transfer/Pagestor.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tinctara::testing {

// A memory card interface at one port, as the memory card library reaches
// it: RAM of `size` bytes behind the three address latches, wrapping at the
// size. size 0: nothing answers (reads 0xFF). A broken address line reads as
// 0 whatever is written to it; failing cells never keep what is written.
class FakeMemoryCard : public PagestorLibrary {
public:
    explicit FakeMemoryCard(std::uint32_t cardSize, std::uint16_t atPort = 512)
        : size(cardSize), port(atPort), memory(cardSize ? cardSize : 1, 0)
    {
    }

    bool available() override { return present; }
    std::int16_t vbWRAMC(std::int16_t p, std::int16_t value) override
    {
        write(static_cast<std::uint16_t>(p), static_cast<std::uint8_t>(value & 0xFF));
        return 0;
    }
    std::int16_t vbWDRAMC(std::int16_t p, std::int16_t value) override
    {
        const auto v = static_cast<std::uint8_t>(value & 0xFF);
        write(static_cast<std::uint16_t>(p), v);
        return read(static_cast<std::uint16_t>(p)) == v ? 0 : 128;
    }
    std::int16_t vbWARAMC(std::int16_t p, std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d) override
    {
        vbWRAMC(static_cast<std::int16_t>(p + 3), a);
        vbWRAMC(static_cast<std::int16_t>(p + 2), b);
        vbWRAMC(static_cast<std::int16_t>(p + 1), c);
        vbWRAMC(p, d);
        return vbRRAMC(p);
    }
    std::int16_t vbRRAMC(std::int16_t p) override { return read(static_cast<std::uint16_t>(p)); }

    std::uint32_t address() const
    {
        std::uint32_t a = (std::uint32_t{page} << 16 | std::uint32_t{high} << 8 | low) & ~brokenLines;
        return size ? a & (size - 1) : 0;
    }
    std::uint8_t& at(std::uint32_t a) { return memory[a & (size - 1)]; }

    std::uint32_t size;
    std::uint16_t port;
    std::vector<std::uint8_t> memory;
    bool present = true;  // the library could be loaded
    std::uint32_t brokenLines = 0;
    std::set<std::uint32_t> failingCells;
    std::uint8_t low = 0, high = 0, page = 0;
    long long portAccesses = 0;
    std::vector<std::uint16_t> portsTouched;  // the first few, for "nothing touched"

private:
    void touch(std::uint16_t p)
    {
        ++portAccesses;
        if (portsTouched.size() < 16)
            portsTouched.push_back(p);
    }
    std::uint8_t read(std::uint16_t p)
    {
        touch(p);
        if (!size || p < port || p > port + 3)
            return 0xFF;
        if (p == port)
            return memory[address()];
        return p == port + 3 ? page : 0xFF;
    }
    void write(std::uint16_t p, std::uint8_t v)
    {
        touch(p);
        if (!size || p < port || p > port + 3)
            return;
        switch (p - port) {
        case 0:
            if (!failingCells.count(address()))
                memory[address()] = v;
            break;
        case 1:
            low = v;
            break;
        case 2:
            high = v;
            break;
        default:
            page = v;
        }
    }
};

// Ten milliseconds pass on every reading, so that waits end without sleeping.
class SteppingMilliseconds : public Clock {
public:
    std::int64_t timeOfDaySeconds() override { return now / 1000; }
    std::int64_t monotonicMilliseconds() override { return now += 10; }
    std::int64_t now = 0;
};

// A user whose event rounds can act, as a click on Stop would.
class EventfulUser : public ScriptedUser {
public:
    void processEvents() override
    {
        ScriptedUser::processEvents();
        if (onEvents)
            onEvents();
    }
    std::function<void()> onEvents;
};

struct StatusLog : MemoryCardObserver {
    void showStatus(std::string_view text) override { texts.emplace_back(text); }
    void showProgress(std::int64_t done, std::int64_t total) override { progress.emplace_back(done, total); }
    std::string last() const { return texts.empty() ? std::string() : texts.back(); }
    std::vector<std::string> texts;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
};

}  // namespace tinctara::testing
