#include "ProgramInput.h"

#include "Program.h"
#include "ProgramRemote.h"
#include "dmx/NetworkOutput.h"
#include "model/ShowOperations.h"

#include <QSocketNotifier>

#include <cstdio>

namespace tinctara {

ProgramInput::ProgramInput(Program& program)
    : program_(program), service_({program.clock(), std::nullopt, &program.networkSocket()})
{
    service_.onDescriptorChange([this](int fd) { watch(fd); });
}

ProgramInput::~ProgramInput()
{
    program_.engine().mergeInput(nullptr, InputMerge::Off);
    program_.view().showPictureOnWall(nullptr);
    service_.onDescriptorChange({});
    notifier_.reset();
}

void ProgramInput::startFromSettings(const InputSettings* forThisRun)
{
    const InputSettings settings = forThisRun ? *forThisRun : loadInputSettings(program_.settings());
    if (settings.kind == InputKind::None)
        return;
    const std::string problem = start(settings);
    if (!problem.empty())
        std::fprintf(stderr, "%s Das Programm läuft ohne DMX-Eingang weiter.\n", problem.c_str());
}

std::string ProgramInput::start(const InputSettings& settings)
{
    // Our own sACN output must not come back as a desk: its CID is made now
    // if it was not yet (the output takes the same one when it opens).
    if (settings.kind == InputKind::Sacn)
        service_.ignoreOwnCid(installationCid(program_.settings()));
    std::string problem = service_.start(settings);
    // The engine merges what runs; a refused start or no input leaves nothing to merge.
    const bool runs = problem.empty() && settings.kind != InputKind::None;
    program_.engine().mergeInput(&service_.frame(), runs ? settings.merge : InputMerge::Off);
    if (onWall_)
        paintWall();
    return problem;
}

std::vector<std::string> ProgramInput::addresses() const { return program_.remote().server().addresses(); }

void ProgramInput::watch(int descriptor)
{
    notifier_.reset();
    if (descriptor < 0)
        return;
    // Datagrams are read on the UI thread, between window events, as the tick is.
    notifier_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        service_.readable();
        // Also while no output ticks run, the wall follows the input.
        if (onWall_ && service_.frame().version != paintedVersion_)
            paintWall();
    });
}

const WallPicture& ProgramInput::picture()
{
    pictureFromInput(program_.model(), service_.frame().levels, picture_);
    return picture_;
}

void ProgramInput::afterTick()
{
    if (onWall_)
        paintWall();
}

void ProgramInput::showOnWall(bool on)
{
    if (on == onWall_)
        return;
    onWall_ = on;
    if (on) {
        paintWall();
    } else {
        program_.view().showPictureOnWall(nullptr);
        ShowAllElementColours(program_.model(), program_.view());
    }
}

// The hub paints every element from the picture while it has one, whoever
// asks: the show's own colour changes do not reach the wall meanwhile.
void ProgramInput::paintWall()
{
    picture();
    paintedVersion_ = service_.frame().version;
    program_.view().showPictureOnWall(&picture_);
    ShowAllElementColours(program_.model(), program_.view());
}

}  // namespace tinctara
