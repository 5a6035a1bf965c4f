#pragma once

#include "audio/MusicOptions.h"

#include <string>
#include <vector>

namespace tinctara::testing {

// A capture that records every start; a device in `broken` fails to open,
// and only the devices in `present` are there.
class FakeMusicCapture : public MusicCapture {
public:
    CaptureStatus start(const std::string& device) override
    {
        starts.push_back(device);
        now = CaptureStatus{};
        if (device.empty())
            return now;
        now.device = device;
        now.description = describe(device);
        bool there = false;
        for (const AudioInputDevice& d : present)
            there = there || d.id == device;
        if (!there)
            now.state = CaptureStatus::State::Gone;
        else if (device == broken)
            now.state = CaptureStatus::State::Failed;
        else {
            now.state = CaptureStatus::State::Listening;
            now.sampleRate = rate;
        }
        return now;
    }
    CaptureStatus status() const override { return now; }
    double bpm() const override { return tempo; }
    double level() const override { return loudness; }

    std::string describe(const std::string& id) const
    {
        for (const AudioInputDevice& d : present)
            if (d.id == id)
                return d.description;
        return id;
    }

    std::vector<AudioInputDevice> present{{"alsa_input.usb", "USB-Mikrofon"}, {"monitor.null", "Monitor of Null"}};
    std::string broken;
    int rate = 48000;
    std::vector<std::string> starts;
    CaptureStatus now;
    double tempo = 0;
    double loudness = 0;
};

}  // namespace tinctara::testing
