#include "IsaCardDevice.h"

#include <algorithm>
#include <cstring>

namespace tinctara::hardware {

namespace {

constexpr std::size_t HeaderSize = 18;     // magic, name, length
constexpr std::size_t ImageLimit = 0x3F0;  // an image never reaches the timing block
constexpr std::uint16_t TimingBlock = 0x3F0;
constexpr std::uint16_t IdentityAddress = 0x3F9;
constexpr std::uint16_t FirstChannel = 0x400;
constexpr int Channels = 512;

}  // namespace

FirmwareImage recogniseFirmware(const std::uint8_t* memory, std::size_t size)
{
    if (size < ImageLimit || std::memcmp(memory, "TCFW", 4) != 0)
        return FirmwareImage::None;
    const std::size_t length = memory[16] | (memory[17] << 8);
    if (length < HeaderSize + 2 || length >= ImageLimit)
        return FirmwareImage::None;
    unsigned sum = 0;
    for (std::size_t i = 0; i < length - 2; ++i)
        sum += memory[i];
    if ((sum & 0xFFFF) != static_cast<unsigned>(memory[length - 2] | (memory[length - 1] << 8)))
        return FirmwareImage::None;
    const char* name = reinterpret_cast<const char*>(memory + 4);
    if (std::memcmp(name, "FWISA12A.BIN", 12) == 0)
        return FirmwareImage::Fwisa12A;
    if (std::memcmp(name, "FWISA16B.BIN", 12) == 0)
        return FirmwareImage::Fwisa16B;
    if (std::memcmp(name, "FWISA17C.BIN", 12) == 0)
        return FirmwareImage::Fwisa17C;
    return FirmwareImage::None;
}

std::uint8_t identityByte(CardModel model, FirmwareImage image)
{
    switch (model) {
    case CardModel::Isa7301A:
    case CardModel::Isa7301BLC:
        return image == FirmwareImage::Fwisa12A ? 0x80 : 0;
    case CardModel::Isa7301B:
        return image == FirmwareImage::Fwisa12A || image == FirmwareImage::Fwisa16B ? 1 : 0;
    case CardModel::Isa7301C:
        return image == FirmwareImage::Fwisa17C ? 5 : 0;
    }
    return 0;
}

IsaCardDevice::IsaCardDevice(CardModel model, std::uint16_t base) : model_(model), base_(base) {}

std::uint8_t IsaCardDevice::read(std::uint32_t port)
{
    switch (port - base_) {
    case 0:
        if (!typeOne())
            running_ = false;
        return 0;
    case 2:
        return memory_[latch_];
    case 3:
        if (typeOne())
            run();
        return 0;
    default:
        return 0xFF;
    }
}

void IsaCardDevice::write(std::uint32_t port, std::uint8_t value)
{
    switch (port - base_) {
    case 0:
        latch_ = static_cast<std::uint16_t>((latch_ & 0xFF00) | value);
        if (value == 0 && typeOne())
            running_ = false;
        return;
    case 1:
        latch_ = static_cast<std::uint16_t>((latch_ & 0x00FF) | (value << 8));
        return;
    case 2:
        memory_[latch_] = value;
        return;
    case 3:
        if (!typeOne())
            run();
        return;
    default:
        return;
    }
}

// The processor starts the image in memory, which reports the card's identity.
void IsaCardDevice::run()
{
    running_ = true;
    memory_[IdentityAddress] = identityByte(model_, recogniseFirmware(memory_.data(), memory_.size()));
}

// The 7301B keeps the channel count as the options window stores it: low byte
// (count AND 255) and high part (count - 1) / 256, so a low byte of 0 means
// the full 256 of its block.
int IsaCardDevice::channelCount() const
{
    if (model_ != CardModel::Isa7301B)
        return Channels;
    const int low = memory_[TimingBlock + 3];
    const int high = memory_[TimingBlock + 4];
    return std::min(Channels, high * 256 + ((low - 1) & 0xFF) + 1);
}

std::uint8_t IsaCardDevice::startCode() const { return model_ == CardModel::Isa7301B ? memory_[TimingBlock + 1] : 0; }

std::size_t IsaCardDevice::frame(std::uint8_t* out, std::size_t size) const
{
    if (!running_ || size == 0 || !out)
        return 0;
    out[0] = startCode();
    const std::size_t channels = std::min<std::size_t>(channelCount(), size - 1);
    std::copy_n(memory_.begin() + FirstChannel, channels, out + 1);
    return channels + 1;
}

}  // namespace tinctara::hardware
