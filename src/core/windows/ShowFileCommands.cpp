#include "windows/ShowFileCommands.h"

#include "model/SequencePlayback.h"

namespace tinctara {

bool ShowFileCommands::load(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Config:
        return LoadConfiguration(context_) == LoadOutcome::Loaded;
    case DocumentKind::Scene:
        return LoadScene(context_) == LoadOutcome::Loaded;
    case DocumentKind::Sequence:
        return LoadSequence(context_) == LoadOutcome::Loaded;
    case DocumentKind::ColourTable:
        return LoadColourTable(context_) == LoadOutcome::Loaded;
    }
    return false;
}

bool ShowFileCommands::save(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Config:
        return SaveConfiguration(context_) == SaveOutcome::Saved;
    case DocumentKind::Scene:
        return SaveScene(context_) == SaveOutcome::Saved;
    case DocumentKind::Sequence:
        return SaveSequence(context_) == SaveOutcome::Saved;
    case DocumentKind::ColourTable:
        return SaveColourTable(context_) == SaveOutcome::Saved;
    }
    return false;
}

void ShowFileCommands::play()
{
    Sequencer sequencer{context_.model, context_.view, context_.user, context_.timer};
    Play(sequencer);
}

}  // namespace tinctara
