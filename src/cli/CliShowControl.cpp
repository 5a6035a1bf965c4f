#include "CliShowControl.h"

#include "CliOutput.h"
#include "CliSession.h"

namespace tinctara::cli {

CliShowControl::CliShowControl(Session& session, CliOutput& output)
    : session_(session), engine_(output.engine()), selection_(session.model, session.view, session.user),
      wall_(session.model, session.view, session.user, selection_),
      sequencer_({session.model, session.view, session.user, output.timer(), output.engine(), *this, selection_,
                  output.ports(), beatSettings_, clock_}),
      closedColour_({session.model, session.view, session.user, selection_}), windows_(wall_, sequencer_),
      control_({session.model, selection_, windows_, *this})
{
}

std::string CliShowControl::applyColour(const std::array<std::uint8_t, Planes>& rgbw)
{
    return closedColour_.apply(rgbw, session_.model);
}

std::string CliShowControl::wallStatus() const { return session_.view.wallStatus; }

std::string CliShowControl::sequencerStatus() const { return session_.view.sequencerLabel; }

bool CliShowControl::tapTempo()
{
    engine_.music().tap(clock_.monotonicMilliseconds());
    return true;
}

}  // namespace tinctara::cli
