// libusbdmxvb.so on the virtual hardware: an emulated USB DMX interface behind
// the one command call the program makes. hardware.ini chooses the device:
//   [usb]
//   device = USBDMX1 | USBLNK2 | none
//   open_result = N      (optional: 1..3 for USBDMX1, 10..13 for USBLNK2)
// On the direct port backend there is no virtual hardware, so no device.
#include "tinctara_portio.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <mutex>
#include <string>

#define USB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

enum class State { Closed, Open, Sending };

struct Device {
    State state = State::Closed;
    std::array<std::uint8_t, 512> frame{};
    std::int32_t frameLength = 0;
    std::int32_t framesSent = 0;
};

std::mutex deviceLock;
Device device;

std::string setting(const char* key)
{
    char value[64];
    const int length = PortIoSetting("usb", key, value, sizeof value);
    if (length < 0)
        return {};
    std::string text(value);
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// What the open command answers: the device's code, or 0 for no device.
std::int32_t openResult()
{
    if (PortIoBackend() != PORTIO_VIRTUAL)
        return 0;
    const std::string name = setting("device");
    int low = 0;
    int high = 0;
    if (name == "USBDMX1") {
        low = 1;
        high = 3;
    } else if (name == "USBLNK2") {
        low = 10;
        high = 13;
    } else {
        return 0;
    }
    const std::string chosen = setting("open_result");
    int result = low;
    const auto parsed = std::from_chars(chosen.data(), chosen.data() + chosen.size(), result);
    if (chosen.empty() || parsed.ec != std::errc() || result < low || result > high)
        result = low;
    return result;
}

}  // namespace

// 2 close, 1 open (answers the device code), 3 start output, 5 before a
// frame, 4 send `parameter` levels from `buffer`.
USB_EXPORT std::int32_t DasHardCommand(std::int32_t command, std::int32_t parameter, std::uint8_t* buffer)
{
    std::lock_guard guard(deviceLock);
    switch (command) {
    case 1: {
        const std::int32_t result = openResult();
        device.state = result ? State::Open : State::Closed;
        return result;
    }
    case 2:
        device.state = State::Closed;
        return 0;
    case 3:
        if (device.state == State::Closed)
            return 0;
        device.state = State::Sending;
        return 1;
    case 4: {
        if (device.state != State::Sending || !buffer || parameter <= 0)
            return 0;
        const std::int32_t length = std::min<std::int32_t>(parameter, 512);
        std::copy_n(buffer, length, device.frame.begin());
        device.frameLength = length;
        ++device.framesSent;
        return length;
    }
    case 5:
        return device.state == State::Sending ? 1 : 0;
    default:
        return 0;
    }
}

// Read-back: the levels of the last frame sent; returns their number.
USB_EXPORT std::int32_t VirtualUsbFrame(std::uint8_t* out, std::int32_t size)
{
    std::lock_guard guard(deviceLock);
    if (!out || size <= 0)
        return device.frameLength;
    const std::int32_t n = std::min(size, device.frameLength);
    std::copy_n(device.frame.begin(), n, out);
    return n;
}

// 0 closed, 1 open, 2 sending; the number of frames sent through *frames.
USB_EXPORT std::int32_t VirtualUsbState(std::int32_t* frames)
{
    std::lock_guard guard(deviceLock);
    if (frames)
        *frames = device.framesSent;
    return static_cast<std::int32_t>(device.state);
}
