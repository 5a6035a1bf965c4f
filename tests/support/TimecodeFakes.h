#pragma once

#include "timecode/TimecodeControl.h"

#include <string>
#include <vector>

namespace tinctara::testing {

// Records every apply; answers `refusal` to it and reports `now` as status.
class FakeTimecodeControl : public TimecodeControl {
public:
    std::string apply(const TimecodeSettings& settings) override
    {
        applied.push_back(settings);
        current = settings;
        return refusal;
    }
    const TimecodeSettings& settings() const override { return current; }
    TimecodeStatus status() const override { return now; }

    std::vector<TimecodeSettings> applied;
    TimecodeSettings current;
    std::string refusal;
    TimecodeStatus now;
};

}  // namespace tinctara::testing
