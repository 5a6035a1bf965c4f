#pragma once

#include "ProgramFixture.h"

#include "model/SequencePlayback.h"

namespace tinctara::testing {

// Three steps held half a second each, cut without a fade, on a wall of
// two: the sequence a chase plays.
inline void threeSteps(Program& program)
{
    ProgramFixture::buildWall(program, 2, 1);
    ShowModel& model = program.model();
    for (int step = 1; step <= 3; ++step) {
        for (int element = 1; element <= 2; ++element)
            for (int plane = Red; plane <= White; ++plane)
                model.stepColour(step, element, plane) = static_cast<std::uint8_t>(step * 60);
        model.holdTime(step) = 9;
        model.blendTime(step) = 0;
    }
    model.StepCount = 3;
    markStepsRecorded(model);
}

}  // namespace tinctara::testing
