#pragma once

#include "windows/EffectsPresenter.h"

#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tinctara::testing {

// Records what the effects presenter shows.
class RecordingEffectsView : public EffectsView {
public:
    void setStatus(std::string_view text) override { status = text; }
    void setField(int index, std::string_view text) override { fields.at(index) = text; }
    void setFieldEnabled(int index, bool on) override { enabled.at(index) = on; }
    void setChoicesEnabled(bool, bool pattern, bool fit, bool) override
    {
        patternEnabled = pattern;
        fitEnabled = fit;
    }
    void setColourChoices(const std::vector<std::string>& names) override { colourNames = names; }
    void setPreviewWall(const EffectWall& wall) override { previewColumns = wall.columns; }
    void showPreview(const std::vector<Rgb>& colours) override { frames.push_back(colours); }
    void setMusicField(int index, std::string_view text) override { musicFields.at(index) = text; }
    void setEveryBeats(int choice) override { everyBeatsChoice = choice; }
    void setAnalysing(bool on) override { analysing = on; }
    void setMusicPreview(bool available, bool running) override
    {
        previewAvailable = available;
        previewChecked = running;
    }
    void musicAnalysisFinished() override
    {
        wokenOn = std::this_thread::get_id();
        ++wakes;
    }

    std::string status;
    std::array<std::string, EffectsText::Fields> fields;
    std::array<bool, EffectsText::Fields> enabled{};
    bool patternEnabled = false;
    bool fitEnabled = false;
    std::vector<std::string> colourNames;
    int previewColumns = 0;
    std::vector<std::vector<Rgb>> frames;
    std::array<std::string, EffectsText::MusicFields> musicFields;
    int everyBeatsChoice = -1;
    bool analysing = false;
    bool previewAvailable = false;
    bool previewChecked = false;
    std::atomic<int> wakes{0};
    std::thread::id wokenOn;  // read after the presenter joined the analysis
};

}  // namespace tinctara::testing
