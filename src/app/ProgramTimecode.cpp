#include "ProgramTimecode.h"

#include "Program.h"
#include "ProgramControl.h"

#include <chrono>
#include <cstdio>

namespace tinctara {

ProgramTimecode::ProgramTimecode(Program& program, std::uint16_t artNetPort)
    : program_(program), artNetPort_(artNetPort)
{
    playback_ = std::make_unique<ChasedPlayback>(
        Sequencer{program.model(), program.view(), program.user(), program.outputTimer()}, program.engine());
    leadPoll_.setTimerType(Qt::PreciseTimer);
    leadPoll_.setInterval(LeadPollMilliseconds);
    QObject::connect(&leadPoll_, &QTimer::timeout, [this] {
        leader_.poll(
            nowMs(), [this](const ArtTimecode& time) { artOut_.send(time); },
            [this](std::span<const std::uint8_t> bytes) {
                // Started once by apply; a client that could not start is not asked again here.
                ProgramMidi* midi = program_.control().programMidi();
                if (settings_.sendMtc && midi && midi->running())
                    midi->input().sendBytes(bytes);
            });
    });
}

ProgramTimecode::~ProgramTimecode()
{
    leadPoll_.stop();
    closeSource();
}

double ProgramTimecode::nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void ProgramTimecode::startFromSettings()
{
    const TimecodeSettings stored = loadTimecodeSettings(program_.settings());
    if (stored == TimecodeSettings{})
        return;
    const std::string problem = apply(stored);
    if (!problem.empty())
        std::fprintf(stderr, "%s Das Programm läuft ohne Timecode weiter.\n", problem.c_str());
}

MidiInput* ProgramTimecode::midi()
{
    ProgramControl& control = program_.control();
    control.startMidiForThisRun();
    ProgramMidi* midi = control.programMidi();
    return midi && midi->running() ? &midi->input() : nullptr;
}

void ProgramTimecode::closeSource()
{
    notifier_.reset();
    listener_.close();
    ltcInput_.stop();
    if (ProgramMidi* midi = program_.control().programMidi())
        midi->input().onTimecodeBytes({});
}

std::string ProgramTimecode::openSource()
{
    // Without an interface the grid asks for ticks only while a sequence
    // plays; the chase must hear the timecode before that.
    if (settings_.source != TimecodeSource::None)
        program_.outputTimer().setEnabled(true);
    switch (settings_.source) {
    case TimecodeSource::None:
        return {};
    case TimecodeSource::ArtNet: {
        std::string problem = listener_.open(artNetPort_);
        if (!problem.empty())
            return problem;
        // Datagrams are read on the UI thread, between window events, as the tick is.
        notifier_ = std::make_unique<QSocketNotifier>(listener_.descriptor(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { listener_.readable(nowMs()); });
        return {};
    }
    case TimecodeSource::Mtc: {
        MidiInput* input = midi();
        if (!input)
            return "MIDI-Timecode: Der MIDI-Eingang kann nicht starten.";
        input->onTimecodeBytes([this](std::span<const std::uint8_t> bytes) { receiver_.midiBytes(bytes, nowMs()); });
        return {};
    }
    case TimecodeSource::Ltc:
        // A device that fails or goes away is the capture's status, which
        // goes on watching for it.
        if (settings_.ltcDevice.empty())
            return LtcNoInput;
        ltcInput_.start(settings_.ltcDevice);
        return {};
    }
    return {};
}

void ProgramTimecode::ltcFrames(const InterleavedSamples& samples, int channels, int sampleRate)
{
    const double now = nowMs();
    ltcMono_.resize(frameCount(samples, channels));
    ltcMono_.resize(mixToMono(samples, channels, ltcMono_));
    receiver_.ltcSamples(ltcMono_, sampleRate, now);
}

std::string ProgramTimecode::ltcProblem() const
{
    if (settings_.source != TimecodeSource::Ltc)
        return {};
    const CaptureStatus& input = ltcInput_.status();
    switch (input.state) {
    case CaptureStatus::State::Failed:
        return "LTC: Das Gerät " + input.description + " kann nicht geöffnet werden.";
    case CaptureStatus::State::Gone:
        return "LTC: Das Gerät " + input.description + " ist nicht mehr da.";
    default:
        return {};
    }
}

std::string ProgramTimecode::openLeading()
{
    leader_.configure(settings_.offset, settings_.rate);
    artOut_.close();
    std::string problem;
    if (settings_.sendArtNet)
        problem = artOut_.open(settings_.artNetTarget, artNetPort_);
    // Chasing Art-Net while sending it: our own labels must not come back as a sender's.
    listener_.ignoreOwnPort(artOut_.localPort());
    if (settings_.sendMtc && !midi())
        problem = "MIDI-Timecode kann nicht gesendet werden: Der MIDI-Eingang kann nicht starten.";
    if (leading())
        leadPoll_.start();
    else
        leadPoll_.stop();
    return problem;
}

std::string ProgramTimecode::apply(const TimecodeSettings& settings)
{
    const bool sourceChanged = settings.source != settings_.source || settings.ltcDevice != settings_.ltcDevice;
    settings_ = settings;
    chaser_.configure(settings);
    std::string problem;
    if (sourceChanged || !problem_.empty()) {
        closeSource();
        problem = openSource();
    }
    const std::string leading = openLeading();
    if (problem.empty())
        problem = leading;
    problem_ = problem;
    return this->problem();
}

void ProgramTimecode::serveRequest(int ticks)
{
    OutputEngine& engine = program_.engine();
    if (!engine.takeTickRequest())
        return;
    const double now = nowMs();
    ShowModel& model = program_.model();
    const bool wasPlaying = model.hasState(StateFlag::SequencePlaying);
    std::optional<std::int64_t> shown;
    if (settings_.source != TimecodeSource::None) {
        const ChaseAction action = chaser_.next(now, wasPlaying);
        playback_->serve(action);
        if (action.kind != ChaseAction::Kind::Free && action.kind != ChaseAction::Kind::Zero)
            shown = action.tick;
        else
            ticks = 1;
    } else {
        for (int tick = 0; tick < ticks; ++tick)
            engine.AutoXmit();
    }
    if (!model.hasState(StateFlag::SequencePlaying))
        playTick_.reset();
    else if (shown)
        playTick_ = shown;
    else if (!playTick_ || !wasPlaying)
        playTick_ = ticks - 1;
    else
        *playTick_ += ticks;
    if (leading())
        leader_.ticked(playTick_, now);
}

TimecodeStatus ProgramTimecode::status() const
{
    TimecodeStatus status = chaser_.status(nowMs());
    status.problem = problem();
    status.sent = leader_.sent();
    return status;
}

}  // namespace tinctara
