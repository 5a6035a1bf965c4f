#include "files/ShowFileCommon.h"
#include "files/ShowPaths.h"
#include "model/SequencePlayback.h"
#include "model/ShowOperations.h"

#include <algorithm>
#include <exception>

namespace tinctara {

using namespace showfile;

namespace {

constexpr const char* Header = "Scene von TINCTARA 99";

// The import copies its source into a work table of this many elements; a
// source wall larger than that cannot be laid onto another wall.
constexpr int ImportTableElements = 250;

// [WALL] of a scene: a section that is missing, unreadable or names a source
// wall larger than the import table counts as a 4 x 4 wall.
void readSourceSize(const ShowFileReader& reader, ShowModel& model)
{
    Section wall = reader.section("[WALL]");
    if (wall.notSearched())
        return;
    std::uint8_t columns = 0;
    std::uint8_t rows = 0;
    if (wall.key(columns) && wall.key(rows) && columns * rows <= ImportTableElements) {
        model.SourceColumns = columns;
        model.SourceRows = rows;
    } else {
        model.SourceColumns = 4;
        model.SourceRows = 4;
    }
}

LoadOutcome loadScene(ShowFileContext& context, const std::string& requested)
{
    ShowModel& model = context.model;
    auto opened = openWithFallback(context, requested, ShowFolder::Scene);
    if (!opened) {
        tell(context, "Konnte Scenendatei nicht finden");
        return LoadOutcome::NotFound;
    }
    const ShowFileReader& reader = opened->reader;

    readSourceSize(reader, model);

    // [OTHERFILES] only records which files the scene was made with.

    Section config = reader.section("[CONFIG]");
    std::uint8_t storedElements = 0;
    bool import = false;
    if (config.found() && config.key(storedElements)) {
        if (storedElements != model.ElementCount || model.SourceColumns != model.WallColumns ||
            model.SourceRows != model.WallRows) {
            context.user.beep();
            const MessageAnswer answer = context.user.messageBox(
                "Scene wurde auf einer Wand mit X= " + std::to_string(model.SourceColumns) +
                    " und Y= " + std::to_string(model.SourceRows) + " Elementen erstellt. Soll ich Importieren ?",
                "TINCTARA " + model.VersionText, MessageButtons::YesNoCancel, MessageIcon::None);
            if (answer == MessageAnswer::Cancel)
                return LoadOutcome::Cancelled;
            import = answer == MessageAnswer::Yes;
        }
    }

    Section values = reader.section("[VALUES]");
    if (!values.notSearched()) {
        // Slots beyond the wall are filled too: they are the source of an import.
        bool read = !values.failed();
        for (int element = 1; read && element <= storedElements; ++element)
            for (int plane = Red; read && plane <= White; ++plane)
                read = values.number(model.colour(plane, element));
        if (!read) {
            tell(context, "Fehler beim laden der Scenenwerte.");
            return LoadOutcome::Failed;
        }
    }

    model.clearDocument(DocumentFlag::SceneNew | DocumentFlag::SceneChanged);
    bool imported = true;
    if (import) {
        imported = ImportScene(model, context.view, context.user);
        model.setDocument(DocumentFlag::SceneNew | DocumentFlag::SceneChanged);
    }
    // The cells show the new picture unmarked; the flags stay, and the next
    // plain click clears them.
    model.SelectionCount = 0;
    ShowAllElementColours(model, context.view);
    for (int index = 0; index < model.ElementCount; ++index)
        context.view.showElementSelected(index, false);
    if (opened->viaFallback)
        tell(context, "Suchpfad der Scene hat sich verändert.");
    context.view.setWallStatus("Scene " + fileNamePart(opened->path) + " erfolgreich geladen!");
    model.SceneFileName = opened->path;
    // The load goes on without a wall to import onto, but did not do what was asked.
    return imported ? LoadOutcome::Loaded : LoadOutcome::Failed;
}

}  // namespace

bool ImportScene(ShowModel& model, ShowView& view, UserInteraction& user)
{
    if (!model.hasState(StateFlag::WallPresent)) {
        user.messageBox("Keine Wand vorhanden. Auf eine  leere Wand kann nicht importiert werden!", "",
                        MessageButtons::Ok, MessageIcon::None);
        return false;
    }
    const int sourceColumns = model.SourceColumns;
    const int sourceRows = model.SourceRows;
    const int columns = model.WallColumns;
    const int rows = model.WallRows;

    std::array<std::array<std::uint8_t, Planes>, ImportTableElements> source{};
    const int sourceElements = std::min(sourceColumns * sourceRows, ImportTableElements);
    for (int element = 1; element <= sourceElements; ++element)
        for (int plane = Red; plane <= White; ++plane)
            source[element - 1][plane - 1] = model.colour(plane, element);

    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= columns; ++column) {
            const int element = (row - 1) * columns + column;
            if (element > ElementSlots)
                return true;
            const int from = (row - 1) * sourceColumns + column;
            const bool copied = row <= sourceRows && column <= sourceColumns && from <= sourceElements;
            for (int plane = Red; plane <= White; ++plane)
                model.colour(plane, element) = copied ? source[from - 1][plane - 1] : 0;
            ShowElementColour(model, view, element - 1);
        }
    }
    return true;
}

LoadOutcome LoadScene(ShowFileContext& context)
{
    ShowModel& model = context.model;
    const auto path = askOpenPath(context, model.SceneFileName,
                                  {"Scene Laden", folderOf(model.SceneFileName), "*.CSC", "*.CSC", "CSC"});
    if (!path)
        return LoadOutcome::Cancelled;
    if (model.hasState(StateFlag::SequencePlaying)) {
        const MessageAnswer answer =
            context.user.messageBox("Sequenzer läuft, darf ich ihn anhalten ?", model.VersionText,
                                    MessageButtons::YesNoCancel, MessageIcon::None);
        if (answer == MessageAnswer::No)
            return LoadOutcome::Cancelled;
        if (answer == MessageAnswer::Yes) {
            Sequencer sequencer{model, context.view, context.user, context.timer};
            PressStop(sequencer);
        }
    }
    try {
        return loadScene(context, *path);
    } catch (const std::exception&) {
        tell(context, "Fehler beim laden der Scene!");
        model.SceneFileName.clear();
        return LoadOutcome::Failed;
    }
}

SaveOutcome SaveScene(ShowFileContext& context)
{
    ShowModel& model = context.model;
    const std::string proposed =
        model.hasState(StateFlag::SequencePresent) ? std::string("*.csc") : fileNamePart(model.SceneFileName);
    const auto path =
        askSavePath(context, model.SceneFileName,
                    {"Scene Speichern", joinPath(context.programFolder, "scenen"), proposed, "*.CSC", "CSC"});
    if (!path)
        return SaveOutcome::Cancelled;

    ShowFileWriter out;
    out.line(Header);
    out.line("[Config]");
    out.keyLine("ElementeMax = ", model.ElementCount);
    out.line("[WALL]");
    out.keyLine("Xmax = ", model.WallColumns);
    out.keyLine("Ymax = ", model.WallRows);
    out.line("[OTHERFILES]");
    out.line(model.ColourTableFileName);
    out.line(model.ConfigFileName);
    out.line("[VALUES]");
    out.beginList();
    for (int element = 1; element <= model.ElementCount; ++element)
        for (int plane = Red; plane <= White; ++plane)
            out.listValue(model.colour(plane, element));
    out.endLine();

    if (!commitOrTell(context, out, *path))
        return SaveOutcome::Failed;
    context.view.setWallStatus("Scene erfolgreich abgespeichert.");
    model.SceneFileName = *path;
    model.clearDocument(DocumentFlag::SceneNew | DocumentFlag::SceneChanged);
    return SaveOutcome::Saved;
}

}  // namespace tinctara
