// tinctara-preview-drift: plays a generated song of N minutes through
// "Vorschau mit Musik" on the program's own grid and reports how far the
// sequence's ticks and the song's audio clock were apart.
#include "MusicPreview.h"
#include "Program.h"
#include "files/SettingsFile.h"
#include "model/SequencePlayback.h"
#include "model/WallBuilder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

using namespace tinctara;

namespace {

// Clicks at 120 BPM over a quiet tone, stereo 48 kHz, written a second at a time.
bool writeSong(const std::string& path, double minutes)
{
    constexpr int Rate = 48000;
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
        return false;
    std::vector<float> second(2 * Rate);
    const auto seconds = static_cast<long>(std::lround(minutes * 60.0));
    for (long s = 0; s < seconds; ++s) {
        for (int i = 0; i < Rate; ++i) {
            const double t = static_cast<double>(i) / Rate;
            const double inBeat = std::fmod(t, 0.5);
            const double click = inBeat < 0.01 ? std::sin(2 * std::numbers::pi * 1000 * t) * (1 - inBeat / 0.01) : 0.0;
            const auto sample = static_cast<float>(0.1 * std::sin(2 * std::numbers::pi * 220 * t) + 0.6 * click);
            second[2 * i] = sample;
            second[2 * i + 1] = sample;
        }
        sf_writef_float(file, second.data(), Rate);
    }
    return sf_close(file) == 0;
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    double minutes = 10.0;
    std::string song;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--minutes" && i + 1 < argc) {
            minutes = std::atof(argv[++i]);
        } else if (arg == "--song" && i + 1 < argc) {
            song = argv[++i];
        } else {
            std::fprintf(stderr, "usage: tinctara-preview-drift [--minutes N] [--song FILE]\n");
            return 2;
        }
    }
    if (!(minutes > 0.0)) {
        std::fprintf(stderr, "--minutes must be more than 0\n");
        return 2;
    }
    QTemporaryDir folder;
    if (song.empty()) {
        song = folder.filePath("song.wav").toStdString();
        if (!writeSong(song, minutes)) {
            std::fprintf(stderr, "cannot write %s\n", song.c_str());
            return 1;
        }
    }
    {
        ShowModel settings;
        std::ofstream(folder.filePath("TINCTARA.ini").toStdString(), std::ios::binary)
            << settingsFileBytes(settings, StateFlag::AutoLoad | StateFlag::AutoChannelCount);
    }
    ProgramSetup setup;
    setup.programFolder = folder.path().toStdString();
    Program program(setup);
    if (!program.start())
        return 1;
    // Two elements and one step held far longer than any song: the hold
    // counter tells the ticks the engine ran.
    ShowModel& model = program.model();
    model.WallColumns = 2;
    model.WallRows = 1;
    model.ElementWidth = 600;
    model.ElementHeight = 600;
    BuildWall(model, program.view(), program.user(), WallBuildKind::NewOrEdited);
    model.StepCount = 1;
    model.holdTime(1) = 65000;
    model.blendTime(1) = 1;
    model.CurrentStep = 1;
    markStepsRecorded(model);

    MusicPreview& preview = program.preview();
    const std::string error = preview.start(song);
    if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::vector<double> offsets;  // |offset| in ms, one per grid request
    std::int64_t seen = 0;
    std::int64_t engineMismatch = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const PreviewPacer& pacer = preview.pacer();
        if (!preview.running() || pacer.requests() == seen)
            return;
        seen = pacer.requests();
        offsets.push_back(std::fabs(pacer.offsetTicks()) * PreviewPacer::TickMs);
        if (65001 - model.HoldCounter != pacer.ticksRun())
            ++engineMismatch;
    });
    sampler.start(5);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!preview.running() || elapsed.elapsed() > static_cast<qint64>(minutes * 60000.0) + 60000)
            application.quit();
    });
    application.exec();
    const bool ended = !preview.running();
    preview.stop();

    const PreviewPacer& pacer = preview.pacer();
    const double maxMs = offsets.empty() ? 0.0 : *std::max_element(offsets.begin(), offsets.end());
    std::printf("song          %.1f min, %s\n", minutes, ended ? "played to its end" : "did NOT end in time");
    std::printf("requests      %lld, ticks run %lld\n", static_cast<long long>(pacer.requests()),
                static_cast<long long>(pacer.ticksRun()));
    std::printf("offset end    %+.1f ms\n", pacer.offsetTicks() * PreviewPacer::TickMs);
    std::printf("offset max    %.1f ms, p99 %.1f ms, p50 %.1f ms\n", maxMs, percentile(offsets, 0.99),
                percentile(offsets, 0.5));
    std::printf("drops         %d\nrepeats       %d\n", pacer.drops(), pacer.repeats());
    std::printf("engine ticks  %s\n", engineMismatch == 0 ? "as paced" : "DIFFER from the pacer");
    return ended && engineMismatch == 0 ? 0 : 1;
}
