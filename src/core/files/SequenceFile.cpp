#include "files/ShowFileCommon.h"
#include "files/ShowPaths.h"
#include "model/SequencePlayback.h"
#include "model/ShowOperations.h"
#include "text/Text.h"

#include <algorithm>
#include <array>
#include <exception>

namespace tinctara {

using namespace showfile;

namespace {

constexpr const char* Header = "Sequence von TINCTARA 99";
// Files of the earlier layout hold element numbers in [Selections].
constexpr const char* HeaderWithElementNumbers = "Sequence von TINCTARA 98";
constexpr int StoredSelectionGroups = 10;  // memory slots 0..9: F2 to F10
constexpr int ImportTableElements = 250;

int selectionIndex(int slot, int group) { return SelectionGroups * slot + group; }

// Shows the normal pointer again however the load ends.
struct BusyPointer {
    explicit BusyPointer(UserInteraction& u) : user(u) { ShowBusy(user); }
    ~BusyPointer() { ShowIdle(user); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    UserInteraction& user;
};

void copyStepToWall(ShowModel& model, int step, int elements)
{
    for (int element = 1; element <= elements; ++element)
        for (int plane = Red; plane <= White; ++plane)
            model.colour(plane, element) = model.stepColour(step, element, plane);
}

void copyWallToStep(ShowModel& model, int step, int elements)
{
    for (int element = 1; element <= elements; ++element)
        for (int plane = Red; plane <= White; ++plane)
            model.stepColour(step, element, plane) = model.colour(plane, element);
}

// [Selections]: memory slots 0..9, element slots 1..ElementCount.
void readSelections(const ShowFileReader& reader, ShowModel& model)
{
    Section selections = reader.section("[SELECTIONS]");
    if (!selections.found())
        return;
    const int slots = std::min<int>(model.ElementCount, ElementSlots - 1);
    for (int group = 0; group < StoredSelectionGroups; ++group)
        for (int slot = 1; slot <= slots; ++slot)
            if (!selections.number(model.SelectionMemory[selectionIndex(slot, group)]))
                return;

    if (reader.header() != HeaderWithElementNumbers)
        return;
    for (int group = 0; group < StoredSelectionGroups; ++group) {
        if (slots < 1 || model.SelectionMemory[selectionIndex(1, group)] == 0)
            continue;
        std::array<std::uint8_t, ElementSlots> numbers{};
        for (int slot = 1; slot <= slots; ++slot)
            numbers[slot] = model.SelectionMemory[selectionIndex(slot, group)];
        for (int slot = 0; slot < ElementSlots; ++slot)
            model.SelectionMemory[selectionIndex(slot, group)] = 0;
        for (int slot = 1; slot <= slots; ++slot)
            if (numbers[slot] != 0)
                model.SelectionMemory[selectionIndex(numbers[slot] - 1, group)] = 1;
    }
}

// Lays every step onto the wall as it stands with the scene import.
bool importSteps(ShowFileContext& context)
{
    ShowModel& model = context.model;
    BusyPointer busy(context.user);
    for (int slot = 0; slot <= PatchSlots; ++slot)
        for (int group = 0; group < StoredSelectionGroups; ++group)
            model.SelectionMemory[selectionIndex(slot, group)] = 0;
    if (!model.hasState(StateFlag::WallPresent)) {
        tell(context, "Keine Wand vorhanden. Auf eine  leere Wand kann nicht importiert werden!");
        return false;
    }
    const int sourceElements = std::min(model.SourceColumns * model.SourceRows, ImportTableElements);
    const int elements = model.elementsInUse();
    for (int step = 1; step <= model.StepCount; ++step) {
        copyStepToWall(model, step, sourceElements);
        ImportScene(model, context.view, context.user);
        copyWallToStep(model, step, elements);
    }
    // The sequencer stands on step 1, so the wall shows step 1 as well.
    copyStepToWall(model, 1, elements);
    model.setDocument(DocumentFlag::SceneChanged | DocumentFlag::SequenceNew | DocumentFlag::SequenceChanged);
    return true;
}

LoadOutcome loadSequence(ShowFileContext& context, const std::string& requested)
{
    ShowModel& model = context.model;
    std::optional<BusyPointer> busy(std::in_place, context.user);
    auto opened = openWithFallback(context, requested, ShowFolder::Sequence);
    if (!opened) {
        tell(context, "Konnte Sequenz-Datei nicht finden");
        return LoadOutcome::NotFound;
    }
    const ShowFileReader& reader = opened->reader;

    Section wall = reader.section("[WALL]");
    if (wall.found()) {
        std::uint8_t columns = 0;
        std::uint8_t rows = 0;
        // A source wall larger than the import table is read as no [WALL] at all.
        if (wall.key(columns) && wall.key(rows) && columns * rows <= ImportTableElements) {
            model.SourceColumns = columns;
            model.SourceRows = rows;
        }
    }

    // [CONFIG]: element count, the import question, step count, Speed.
    Section config = reader.section("[CONFIG]");
    std::uint8_t storedElements = 0;
    bool import = false;
    std::uint16_t speed = 0;
    if (config.found() && config.key(storedElements)) {
        if (storedElements != model.ElementCount || model.SourceColumns != model.WallColumns ||
            model.SourceRows != model.WallRows) {
            context.user.beep();
            const MessageAnswer answer = context.user.messageBox(
                "Sequenz wurde auf einer Wand mit einer anderen Anzahl an Elementen erstellt. Soll ich Importieren ?",
                "TINCTARA " + model.VersionText, MessageButtons::YesNoCancel, MessageIcon::None);
            if (answer == MessageAnswer::Cancel)
                return LoadOutcome::Cancelled;
            import = answer == MessageAnswer::Yes;
        }
        // Any count from 254 up is cut to the store with the message, so the
        // steps that fit are still read.
        if (const auto steps = config.key(0, 999)) {
            model.StepCount = static_cast<std::uint8_t>(std::min<long long>(*steps, MaxSequenceSteps));
            if (*steps >= MaxSequenceSteps) {
                context.user.beep();
                tell(context, "Fehler beim Laden der Sequenz! Die Datei enthält mehr Sequenzen als in dieser "
                              "Programmversion dargestellt werden können! Die Sequenzen werden auf 254 beschränkt.");
            }
            config.key(speed, 4);
        }
    }

    // [OTHERFILES] only records which files the sequence was made with.

    Section steps = reader.section("[SEQUENCE]");
    if (!steps.notSearched()) {
        bool read = !steps.failed() && storedElements <= PatchSlots;
        for (int step = 1; read && step <= model.StepCount; ++step)
            for (int element = 1; read && element <= storedElements; ++element)
                for (int plane = Red; read && plane <= White; ++plane)
                    read = steps.number(model.stepColour(step, element, plane));
        if (!read) {
            tell(context, "Fehler beim Laden der Sequenzdaten.");
            model.SequenceFileName.clear();
            return LoadOutcome::Failed;
        }
        copyStepToWall(model, 1, storedElements);
    }

    Section times = reader.section("[HOLDBLEND]");
    if (!times.notSearched()) {
        bool read = !times.failed();
        for (int step = 1; read && step <= model.StepCount; ++step)
            read = times.number(model.holdTime(step)) && times.number(model.blendTime(step));
        if (read) {
            copyStepToWall(model, 1, std::min<int>(storedElements, PatchSlots));
        } else {
            tell(context, "Keine Blend- und Haltezeiten gefunden , nehme Standartwerte.");
            for (int step = 1; step <= model.StepCount; ++step) {
                model.holdTime(step) = 1;
                model.blendTime(step) = speed;
            }
        }
    }

    readSelections(reader, model);

    busy.reset();
    model.clearDocument(DocumentFlag::SequenceNew | DocumentFlag::SequenceChanged);
    if (model.StepCount == 0) {
        context.user.beep();
        tell(context, "Datei enthielt keine Sequenzerdaten oder ist beschädigt.");
        return LoadOutcome::Failed;
    }

    const bool sizesDiffer = storedElements != model.ElementCount || model.SourceColumns != model.WallColumns ||
                             model.SourceRows != model.WallRows;
    if (import && sizesDiffer && !importSteps(context))
        return LoadOutcome::Failed;

    ShowAllElementColours(model, context.view);
    model.CurrentStep = 1;
    model.setState(StateFlag::SequencePresent);
    ShowSequencerStep(model, context.view);
    model.TurboFactor = 1;
    context.view.setSequencerTurboField("1");

    if (opened->viaFallback)
        tell(context, "Suchpfad der Sequenz hat sich verändert.");
    context.view.setSequencerLabel("Sequenz erfolgreich geladen!");
    model.SequenceFileName = opened->path;
    context.view.setSequencerCaption(fileNamePart(opened->path) + "Sequence ");
    return LoadOutcome::Loaded;
}

}  // namespace

void ShowSequencerStep(const ShowModel& model, ShowView& view)
{
    if (model.CurrentStep < 1) {
        view.setSequencerField(0, "");
        return;
    }
    view.setSequencerField(0, numberForm(model.CurrentStep));
    view.setSequencerField(1, std::to_string(model.blendTime(model.CurrentStep)));
    view.setSequencerField(2, std::to_string(model.holdTime(model.CurrentStep)));
}

LoadOutcome LoadSequence(ShowFileContext& context)
{
    ShowModel& model = context.model;
    const auto path = askOpenPath(context, model.SequenceFileName,
                                  {"Sequence Laden", folderOf(model.SequenceFileName), "*.CSQ", "*.CSQ", "CSQ"});
    if (!path)
        return LoadOutcome::Cancelled;
    if (model.hasState(StateFlag::SequencePlaying)) {
        // Playback goes on from step 1 of what is loaded.
        Sequencer sequencer{model, context.view, context.user, context.timer};
        PressStop(sequencer);
        context.view.setSequencerField(0, "1");
        PressPlay(sequencer);
    }
    try {
        return loadSequence(context, *path);
    } catch (const std::exception&) {
        tell(context, "Fehler beim Laden der Sequenz");
        model.holdTime(1) = 1;
        model.blendTime(1) = 5;
        context.view.setSequencerField(1, "5");
        context.view.setSequencerField(2, "1");
        return LoadOutcome::Failed;
    }
}

SaveOutcome SaveSequence(ShowFileContext& context)
{
    ShowModel& model = context.model;
    if (!model.hasState(StateFlag::SequencePresent)) {
        context.user.beep();
        tell(context, "Sie haben noch keine Sequence erstellt!");
        return SaveOutcome::Refused;
    }
    const auto path = askSavePath(context, model.SequenceFileName,
                                  {"TINCTARA Sequenz Speichern", joinPath(context.programFolder, "sequencen"),
                                   fileNamePart(model.SequenceFileName), "*.CSQ", "CSQ"});
    if (!path)
        return SaveOutcome::Cancelled;

    const int elements = model.elementsInUse();
    const int steps = std::min<int>(model.StepCount, StepSlots);
    ShowFileWriter out;
    out.line(Header);
    out.line("[Config]");
    out.keyLine("ElementeMax =   ", model.ElementCount);
    out.keyLine("Sequencenmax =   ", model.StepCount);
    out.line("Speed =   " + context.view.sequencerFieldText(1));
    out.line("[WALL]");
    out.keyLine("Xmax = ", model.WallColumns);
    out.keyLine("Ymax = ", model.WallRows);
    out.line("[OTHERFILES]");
    out.line(model.ColourTableFileName);
    out.line(model.ConfigFileName);
    out.line("[Sequence]");
    out.beginList();
    for (int step = 1; step <= steps; ++step)
        for (int element = 1; element <= elements; ++element)
            for (int plane = Red; plane <= White; ++plane)
                out.listValue(model.stepColour(step, element, plane));
    out.endLine();
    out.line("[HOLDBLEND]");
    out.beginList();
    for (int step = 1; step <= steps; ++step) {
        out.listValue(model.holdTime(step));
        out.listValue(model.blendTime(step));
    }
    out.endLine();
    out.line("[Selections]");
    out.beginList();
    const int slots = std::min<int>(model.ElementCount, ElementSlots - 1);
    for (int group = 0; group < StoredSelectionGroups; ++group)
        for (int slot = 1; slot <= slots; ++slot)
            out.listValue(model.SelectionMemory[selectionIndex(slot, group)]);
    out.endLine();

    if (!commitOrTell(context, out, *path))
        return SaveOutcome::Failed;
    model.clearDocument(DocumentFlag::SequenceNew | DocumentFlag::SequenceChanged);
    context.view.setWallStatus("Sequenz erfolgreich abgespeichert.");
    model.SequenceFileName = *path;
    return SaveOutcome::Saved;
}

}  // namespace tinctara
