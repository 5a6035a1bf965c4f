#include "ProgramMidi.h"

namespace tinctara {

namespace {
constexpr int IdleFeedbackMs = 100;
}

ProgramMidi::ProgramMidi(const ShowModel& model, ShowControl& control, MidiSequencerOpener open)
    : input_(model, control, std::move(open))
{
    idle_.setInterval(IdleFeedbackMs);
    QObject::connect(&idle_, &QTimer::timeout, [this] { input_.showChanged(); });
}

ProgramMidi::~ProgramMidi() { stop(); }

std::string ProgramMidi::start(const MidiSettings& settings)
{
    std::string problem = input_.start(settings);
    watch();
    return problem;
}

void ProgramMidi::stop()
{
    input_.stop();
    watch();
}

void ProgramMidi::watch()
{
    if (!input_.running()) {
        notifier_.reset();
        idle_.stop();
        return;
    }
    if (notifier_ && notifier_->socket() == input_.descriptor())
        return;
    notifier_ = std::make_unique<QSocketNotifier>(input_.descriptor(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        // An action may open a question whose event loop would come back here
        // for the next message; the first is carried out whole before it.
        notifier_->setEnabled(false);
        input_.ready();
        if (notifier_)
            notifier_->setEnabled(true);
    });
    idle_.start();
}

}  // namespace tinctara
