#pragma once

#include "dmx/LoadedLibraries.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tinctara {

// The four port functions of the memory card library.
class PagestorLibrary {
public:
    virtual ~PagestorLibrary() = default;
    // False when the library cannot be had; the card is then out of reach.
    virtual bool available() = 0;
    virtual std::int16_t vbWRAMC(std::int16_t port, std::int16_t value) = 0;
    virtual std::int16_t vbWDRAMC(std::int16_t port, std::int16_t value) = 0;
    virtual std::int16_t vbWARAMC(std::int16_t port, std::int16_t a, std::int16_t b, std::int16_t c,
                                  std::int16_t d) = 0;
    virtual std::int16_t vbRRAMC(std::int16_t port) = 0;
};

// "libpagestor.so", opened by name on first use. Without it writes go nowhere
// and reads give 0xFF, as on an empty bus.
class LoadedPagestorLibrary : public PagestorLibrary {
public:
    explicit LoadedPagestorLibrary(std::vector<std::string> folders);
    bool available() override;
    std::int16_t vbWRAMC(std::int16_t port, std::int16_t value) override;
    std::int16_t vbWDRAMC(std::int16_t port, std::int16_t value) override;
    std::int16_t vbWARAMC(std::int16_t port, std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d) override;
    std::int16_t vbRRAMC(std::int16_t port) override;

private:
    using Two = std::int16_t (*)(std::int16_t, std::int16_t);
    using Five = std::int16_t (*)(std::int16_t, std::int16_t, std::int16_t, std::int16_t, std::int16_t);
    using One = std::int16_t (*)(std::int16_t);
    void resolve();

    LibraryByName library_;
    bool resolved_ = false;
    Two write_ = nullptr;
    Two writeVerify_ = nullptr;
    Five writeAddressed_ = nullptr;
    One read_ = nullptr;
};

}  // namespace tinctara
