#include "effects/BeatLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace tinctara {

namespace {

constexpr long long MaxTime = 65535;  // hold and blend are 16-bit
// Beats further on than this are no song's; their ticks would not fit a long long.
constexpr double LatestBeatSeconds = 1e9;

// A number as the German texts write it: decimal comma.
std::string decimal(double value, int places)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    std::string result = text;
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}

std::string milliseconds(double seconds) { return std::to_string(std::lround(std::abs(seconds) * 1000)) + " ms"; }

double medianPeriod(const std::vector<double>& beats)
{
    std::vector<double> periods;
    for (std::size_t i = 1; i < beats.size(); ++i)
        periods.push_back(beats[i] - beats[i - 1]);
    if (periods.empty())
        return 0;
    const auto middle = periods.begin() + static_cast<std::ptrdiff_t>(periods.size() / 2);
    std::nth_element(periods.begin(), middle, periods.end());
    return *middle;
}

// How the repeated steps fall against the beat groups the 250 steps did not
// reach: pass p of step k reaches its picture at p * loop + its first arrival.
void reportLoop(BeatLayout& layout, const std::vector<double>& beats, std::size_t lastBeat, int every, double start,
                double period)
{
    BeatLayoutReport& report = layout.report;
    const long long loop = layout.steps.back().arrivalTick + 1;
    report.loopSeconds = static_cast<double>(loop) * TickSeconds;
    report.loopBeats = period > 0 ? report.loopSeconds / period : 0;
    const std::size_t count = layout.steps.size();
    std::size_t repeated = 0;
    for (std::size_t beat = lastBeat + static_cast<std::size_t>(every); beat < beats.size();
         beat += static_cast<std::size_t>(every), ++repeated) {
        const auto pass = static_cast<long long>(1 + repeated / count);
        const long long tick = pass * loop + layout.steps[repeated % count].arrivalTick;
        report.driftAtEndSeconds = static_cast<double>(tick) * TickSeconds + start - beats[beat];
        report.worstDriftSeconds = std::max(report.worstDriftSeconds, std::abs(report.driftAtEndSeconds));
    }
}

}  // namespace

BeatLayout LayOntoBeats(int inputSteps, std::vector<double> beats, const BeatLayoutOptions& options)
{
    BeatLayout layout;
    BeatLayoutReport& report = layout.report;
    const double start = options.startSeconds;
    if (!std::isfinite(start))
        return layout;
    std::erase_if(
        beats, [&](double beat) { return !std::isfinite(beat) || beat < start || beat - start > LatestBeatSeconds; });
    std::sort(beats.begin(), beats.end());
    report.beats = static_cast<int>(beats.size());
    if (!beats.empty())
        report.firstBeatSeconds = beats.front();
    const double period = options.beatPeriodSeconds > 0 ? options.beatPeriodSeconds : medianPeriod(beats);
    report.tempoBpm = period > 0 ? 60 / period : 0;
    if (inputSteps < 1)
        return layout;

    const auto every = static_cast<std::size_t>(std::max(1, options.everyBeats));
    const double fraction = options.blendFraction >= 0 ? std::min(options.blendFraction, 1.0) : 0;
    // Each target is rounded from the beat itself, never from the step
    // before, so the rounding errors do not add up.
    const auto tickOf = [&](std::size_t beat) { return std::llround((beats[beat] - start) / TickSeconds); };

    long long arrived = -1;  // step 1 is on the wall before the first tick
    std::size_t beat = 0;
    while (static_cast<int>(layout.steps.size()) < MaxBeatSteps) {
        std::size_t next = beat + every;
        while (next < beats.size() && tickOf(next) - arrived < 2)
            next += every;
        if (next >= beats.size())
            break;
        if (next - beat > every)
            ++report.groupedSteps;
        const long long length = tickOf(next) - arrived;
        const double beatPeriod = beats[next] - beats[next - 1];
        const long long blend =
            std::clamp(std::llround(fraction * beatPeriod / TickSeconds), 1LL, std::min(length - 1, MaxTime));
        const long long hold = std::min(length - 1 - blend, MaxTime);

        BeatStep step;
        step.inputStep = static_cast<int>(layout.steps.size() % static_cast<std::size_t>(inputSteps)) + 1;
        step.hold = static_cast<std::uint16_t>(hold);
        step.blend = static_cast<std::uint16_t>(blend);
        // A gap longer than the times can hold arrives early; the next step
        // takes up the rest.
        step.arrivalTick = arrived + 1 + hold + blend;
        step.beatSeconds = beats[next];
        report.worstErrorSeconds =
            std::max(report.worstErrorSeconds,
                     std::abs(static_cast<double>(step.arrivalTick) * TickSeconds + start - beats[next]));
        layout.steps.push_back(step);
        arrived = step.arrivalTick;
        beat = next;
    }
    if (static_cast<int>(layout.steps.size()) == MaxBeatSteps && beat + every < beats.size()) {
        report.limited = true;
        report.beatsLeft = static_cast<int>(beats.size() - 1 - beat);
        reportLoop(layout, beats, beat, static_cast<int>(every), start, period);
    }
    return layout;
}

std::string BeatLayoutSummary(const BeatLayout& layout, const BeatLayoutOptions& options)
{
    const BeatLayoutReport& r = layout.report;
    std::ostringstream out;
    out << "Tempo: " << decimal(r.tempoBpm, 1) << " BPM, " << r.beats << " Schläge ab "
        << decimal(options.startSeconds, 2) << " s";
    if (r.beats > 0)
        out << ", der erste bei " << decimal(r.firstBeatSeconds, 2) << " s";
    out << ".\n";
    if (layout.steps.empty()) {
        out << "Keine Schritte: das Lied hat ab dem Start zu wenige Schläge.\n";
        return out.str();
    }
    out << layout.steps.size() << " Schritte geschrieben, einer je "
        << (options.everyBeats == 1 ? std::string("Schlag") : std::to_string(options.everyBeats) + " Schläge")
        << "; jeder Bildwechsel liegt höchstens " << milliseconds(r.worstErrorSeconds) << " neben seinem Schlag.\n";
    if (r.groupedSteps > 0)
        out << r.groupedSteps
            << " Schritte fassen mehr Schläge zusammen: ihre Schläge lagen keine 2 Ticks (100 ms) auseinander.\n";
    if (r.limited)
        out << "Mehr als 250 Schritte nötig: " << r.beatsLeft << " Schläge bleiben übrig. Die Sequenz beginnt nach "
            << decimal(r.loopSeconds, 2) << " s (" << decimal(r.loopBeats, 2)
            << " Schläge) von vorn und liegt dann bis zu " << milliseconds(r.worstDriftSeconds)
            << " neben den Schlägen, am Ende des Liedes " << milliseconds(r.driftAtEndSeconds) << ".\n";
    return out.str();
}

ApplyOutcome ApplyBeatLayout(ShowModel& model, UserInteraction& user, const BeatLayout& layout)
{
    // The input's pictures are read before any step is replaced.
    const int elements = model.elementsInUse();
    std::vector<std::vector<Rgbw>> pictures(model.StepCount);
    for (int step = 1; step <= model.StepCount; ++step)
        for (int element = 1; element <= elements; ++element)
            pictures[static_cast<std::size_t>(step - 1)].push_back(
                {model.stepColour(step, element, Red), model.stepColour(step, element, Green),
                 model.stepColour(step, element, Blue), model.stepColour(step, element, White)});

    std::vector<EffectStep> steps;
    for (const BeatStep& step : layout.steps) {
        if (step.inputStep < 1 || step.inputStep > model.StepCount)
            continue;
        steps.push_back({pictures[static_cast<std::size_t>(step.inputStep - 1)], step.hold, step.blend});
    }
    return ApplyEffect(model, user, steps, ApplyMode::Replace);
}

}  // namespace tinctara
