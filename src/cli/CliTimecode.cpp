#include "CliTimecode.h"

#include "CliOutput.h"
#include "audio/SoundFileSource.h"

#include <chrono>
#include <sys/timerfd.h>
#include <unistd.h>
#include <utility>
#include <variant>

namespace tinctara::cli {

namespace {

constexpr double LtcBufferMs = 10.0;

TimecodeSource sourceOf(const std::string& name)
{
    const std::pair<const char*, TimecodeSource> names[] = {
        {"artnet", TimecodeSource::ArtNet}, {"mtc", TimecodeSource::Mtc}, {"ltc", TimecodeSource::Ltc}};
    return namedIn("--timecode", name, names);
}

TimecodeRate rateOf(const std::string& name)
{
    const std::pair<const char*, TimecodeRate> names[] = {{"24", TimecodeRate::Film24},
                                                          {"25", TimecodeRate::Ebu25},
                                                          {"29.97", TimecodeRate::DropFrame2997},
                                                          {"30", TimecodeRate::Smpte30}};
    return namedIn("--timecode-rate", name, names);
}

const char* stateName(ChaseState state)
{
    switch (state) {
    case ChaseState::Off:
        return "off";
    case ChaseState::Waiting:
        return "waiting";
    case ChaseState::BeforeOffset:
        return "before offset";
    case ChaseState::Chasing:
        return "chasing";
    case ChaseState::Freewheel:
        return "freewheel";
    case ChaseState::Held:
        return "held";
    case ChaseState::Started:
        return "started";
    }
    return "";
}

}  // namespace

std::vector<std::string> withTimecodeOptions(std::vector<std::string> valued)
{
    valued.insert(valued.end(), {"--timecode", "--timecode-offset", "--timecode-rate", "--freewheel", "--ltc-file",
                                 "--timecode-port"});
    return valued;
}

TimecodeOptions readTimecodeOptions(const Options& parsed, bool midi)
{
    TimecodeOptions options;
    const std::string* source = parsed.find("--timecode");
    if (!source) {
        for (const char* option :
             {"--timecode-offset", "--timecode-rate", "--freewheel", "--ltc-file", "--timecode-port"})
            if (parsed.find(option))
                throw UsageError{std::string(option) + " goes with --timecode"};
        return options;
    }
    TimecodeSettings& settings = options.settings;
    settings.source = sourceOf(*source);
    if (const std::string* rate = parsed.find("--timecode-rate"))
        settings.rate = rateOf(*rate);
    if (const std::string* offset = parsed.find("--timecode-offset")) {
        const auto label = parseTimecode(*offset, settings.rate);
        if (!label)
            throw UsageError{"--timecode-offset takes HH:MM:SS:FF"};
        settings.offset = *label;
    }
    if (const std::string* frames = parsed.find("--freewheel"))
        settings.freewheelFrames = static_cast<int>(numberIn("--freewheel", *frames, 0, FreewheelFramesMax));
    if (const std::string* port = parsed.find("--timecode-port")) {
        if (settings.source != TimecodeSource::ArtNet)
            throw UsageError{"--timecode-port goes with --timecode artnet"};
        options.port = static_cast<std::uint16_t>(numberIn("--timecode-port", *port, 1, 65535));
    }
    if (const std::string* file = parsed.find("--ltc-file")) {
        if (settings.source != TimecodeSource::Ltc)
            throw UsageError{"--ltc-file goes with --timecode ltc"};
        options.ltcFile = *file;
    } else if (settings.source == TimecodeSource::Ltc) {
        throw UsageError{"--timecode ltc needs --ltc-file FILE"};
    }
    if (settings.source == TimecodeSource::Mtc && !midi)
        throw UsageError{"--timecode mtc needs --midi"};
    return options;
}

double monotonicMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

CliTimecode::CliTimecode(const TimecodeOptions& options, const Sequencer& sequencer, OutputEngine& engine)
    : options_(options), model_(sequencer.model), playback_(sequencer, engine)
{
    chaser_.configure(options.settings);
    state_ = chaser_.status(monotonicMs()).state;
}

CliTimecode::~CliTimecode()
{
    if (ltcTimer_ >= 0)
        ::close(ltcTimer_);
}

bool CliTimecode::start(CliOutput& output, std::ostream& err)
{
    switch (options_.settings.source) {
    case TimecodeSource::ArtNet: {
        artNet_.emplace(receiver_);
        if (const std::string problem = artNet_->open(options_.port); !problem.empty()) {
            err << ErrorPrefix << problem << '\n';
            return false;
        }
        output.watch(artNet_->descriptor(), [this] { artNet_->readable(monotonicMs()); });
        return true;
    }
    case TimecodeSource::Ltc: {
        auto opened = SoundFileSource::open(options_.ltcFile);
        if (const std::string* problem = std::get_if<std::string>(&opened)) {
            err << ErrorPrefix << *problem << '\n';
            return false;
        }
        ltc_ = std::move(std::get<std::unique_ptr<SoundFileSource>>(opened));
        ltcBuffer_.resize(static_cast<std::size_t>(ltc_->sampleRate() * LtcBufferMs / 1000.0));
        ltcTimer_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        constexpr long period = static_cast<long>(LtcBufferMs * 1'000'000);
        const itimerspec every{{0, period}, {0, period}};
        if (ltcTimer_ < 0 || ::timerfd_settime(ltcTimer_, 0, &every, nullptr) != 0) {
            err << ErrorPrefix << "no timer for the LTC file\n";
            return false;
        }
        ltcStartMs_ = monotonicMs();
        output.watch(ltcTimer_, [this] {
            std::uint64_t expirations = 0;
            if (::read(ltcTimer_, &expirations, sizeof expirations) > 0)
                hearLtc(monotonicMs());
        });
        return true;
    }
    case TimecodeSource::Mtc:  // by the MIDI client, through receiver()
    case TimecodeSource::None:
        return true;
    }
    return true;
}

void CliTimecode::serve()
{
    const double now = monotonicMs();
    hearWaiting(now);
    playback_.serve(chaser_.next(now, model_.hasState(StateFlag::SequencePlaying)));
    state_ = chaser_.status(now).state;
}

void CliTimecode::hearWaiting(double nowMs)
{
    if (artNet_)
        artNet_->readable(nowMs);
    hearLtc(nowMs);
}

void CliTimecode::hearLtc(double nowMs)
{
    if (!ltc_)
        return;
    const double rate = ltc_->sampleRate();
    const auto heardAt = [&](std::int64_t samples) {
        return ltcStartMs_ + static_cast<double>(samples) * 1000.0 / rate;
    };
    // A late wake (a stalled thread) hands over every buffer due, each timed
    // as the card would have timed it.
    while (heardAt(ltcHeard_ + static_cast<std::int64_t>(ltcBuffer_.size())) <= nowMs) {
        const std::size_t got = ltc_->read(ltcBuffer_);
        if (got == 0) {
            // The file's end: the timecode stops coming.
            const itimerspec off{};
            ::timerfd_settime(ltcTimer_, 0, &off, nullptr);
            ltc_.reset();
            return;
        }
        ltcHeard_ += static_cast<std::int64_t>(got);
        receiver_.ltcSamples(std::span<const float>(ltcBuffer_.data(), got), rate, heardAt(ltcHeard_));
    }
}

const char* CliTimecode::changedState()
{
    if (state_ == shownState_)
        return nullptr;
    shownState_ = state_;
    return stateName(state_);
}

}  // namespace tinctara::cli
