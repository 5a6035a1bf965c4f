#include "model/ShowModel.h"

#include "text/Text.h"

namespace tinctara {

void initialiseAtStartUp(ShowModel& model)
{
    model.HoldCounter = 0;
    for (auto& times : model.SequenceTimes) {
        times[0] = 1;   // hold
        times[1] = 50;  // blend
    }
    model.TestLevels.fill(0);
    model.CorrectionTable.fill(0);
    model.ElementColours.fill(0);
    model.SelectionFlags.fill(0);
    model.SelectionMemory.fill(0);
    model.setState(StateFlag::AutoLoad | StateFlag::AutoChannelCount);
    model.StepCount = 0;
    model.ChannelCount = 100;
    for (int i = 1; i <= UserColours; ++i) {
        model.ColourNames[i - 1] = fixedLength("Farbe" + std::to_string(i), UserColourNameLength);
        for (int plane = Red; plane <= White; ++plane)
            model.ColourLevels[ShowModel::userColourIndex(i, plane)] = 0;
    }
}

}  // namespace tinctara
