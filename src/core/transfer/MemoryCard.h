#pragma once

#include "model/ShowModel.h"
#include "platform/Clock.h"
#include "platform/UserInteraction.h"
#include "transfer/Pagestor.h"
#include "transfer/StepFrame.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tinctara {

// What the memory card window shows while the card is worked on.
class MemoryCardObserver {
public:
    virtual ~MemoryCardObserver() = default;
    virtual void showStatus(std::string_view text) = 0;
    // Bytes written of the image; total 0 when no image is being written.
    virtual void showProgress(std::int64_t written, std::int64_t total) = 0;
};

// MemoryCardSize besides the sizes found.
namespace MemoryCardCode {
inline constexpr std::int32_t NoCard = 0;
inline constexpr std::int32_t NoPort = 1;
inline constexpr std::int32_t AddressFault = 2;
}  // namespace MemoryCardCode

inline constexpr std::uint16_t MemoryCardInterfacePort = 512;
inline constexpr int MemoryCardSlotBytes = 512;
inline constexpr std::uint32_t MemoryCardDisplayEnd = 1024;  // the read display shows 0..1024

// Slots the image takes on a card of this size: 60 on 32 KB, doubled per size step.
int memoryCardCapacity(std::int32_t size);

// Detection, verified writing and reading of the memory card through the
// memory card library. Waits and status updates let the window handle its
// events, which is how Stop reaches a running write.
class MemoryCard {
public:
    struct Services {
        ShowModel& model;
        UserInteraction& user;
        Clock& clock;
        PagestorLibrary& pagestor;
        MemoryCardObserver& observer;
    };

    explicit MemoryCard(Services services) : s_(services) {}

    // "&Schreiben": detects the card and writes the sequence image; true when
    // the image was written to the end.
    bool writeCard();
    // "&Lesen": detects the card and returns the display of addresses 0..1024;
    // empty when no card was found.
    std::string readCard();
    // Stop.
    void stop() { MemoryCardAbort = 1; }

    void detect();
    std::uint8_t readByte(std::uint32_t address);
    // Writes and verifies; after 20 failed attempts the user is asked on
    // each further one. False when the byte could not be verified.
    bool writeByte(std::uint32_t address, std::uint8_t value);
    void wait(double seconds);

    std::uint16_t MemoryCardPort = MemoryCardInterfacePort;
    std::int32_t MemoryCardSize = 0;
    std::uint8_t MemoryCardAbort = 0;

private:
    void status(std::string_view text);
    void setAddress(std::uint32_t address);
    void setPage(std::uint8_t page);
    bool aborted() const { return MemoryCardAbort != 0; }
    bool probeCard(std::uint8_t byteZero);
    void measureSize(std::uint8_t byteZero);
    void checkAddressLines();
    void reportDetection();
    std::string display();

    Services s_;
};

}  // namespace tinctara
