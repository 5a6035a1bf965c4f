// The machine's own hardware: port instructions after iopl/ioperm, /dev/mem,
// PCI configuration space from sysfs, disk identify by ioctl, keyboards from
// the input subsystem and interrupt counts from /proc/interrupts.
#pragma once

#include "Backend.h"

#include <array>
#include <string>
#include <vector>

namespace hwport::service {

class LinuxBackend final : public Backend {
public:
    LinuxBackend();
    ~LinuxBackend() override;
    // Empty when the service may use ports; otherwise why not.
    const std::string& problem() const { return problem_; }

    uint32_t portIn(uint32_t port, uint32_t width) override;
    void portOut(uint32_t port, uint32_t width, uint32_t value) override;
    int physicalMemory(uint64_t physical, uint32_t length) override;
    uint16_t lastPciBus() override;
    uint16_t pciMechanism() override;
    void pciConfig(uint32_t bus, uint32_t device, uint32_t function, unsigned char* out) override;
    bool identify(uint32_t drive, uint32_t flag, unsigned char* out) override;
    void putScanCode(uint8_t code) override;

    void watchInterrupts(uint32_t lineMask) override;
    void watchKeyboard(bool on) override;
    std::vector<int> descriptors() const override { return keyboards_; }
    void readable(int fd) override;
    int tickInterval() const override { return watchedLines_ != 0 ? 10 : -1; }
    void tick() override;

private:
    std::array<uint64_t, 16> readInterruptCounts() const;

    std::string problem_;
    uint32_t portLimit_ = 0;
    uint32_t watchedLines_ = 0;
    std::array<uint64_t, 16> lastCounts_{};
    std::vector<int> keyboards_;
};

}  // namespace hwport::service
