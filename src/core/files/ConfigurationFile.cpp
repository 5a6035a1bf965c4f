#include "files/ShowFileCommon.h"
#include "files/ShowPaths.h"
#include "model/ShowOperations.h"
#include "model/WallBuilder.h"
#include "text/Text.h"

#include <exception>

namespace tinctara {

using namespace showfile;

namespace {

constexpr const char* Header = "Configuration von TINCTARA 99";

// The [Config] section, taken over only when it was read whole and describes a
// wall the program can build.
struct WallSize {
    std::uint8_t storedElements = 0;
    std::uint8_t columns = 0;
    std::uint8_t rows = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t zoom = 0;
};

bool readWallSize(Section& section, WallSize& size)
{
    return section.key(size.storedElements) && section.key(size.columns) && section.key(size.rows) &&
           section.number(size.width) && section.number(size.height) && section.number(size.zoom) &&
           size.columns * size.rows <= MaxWallElements;
}

// Channel numbers are signed 16-bit in the file and unsigned in the model: the
// range both can hold.
constexpr long long HighestPatchValue = 32767;

bool readPatch(Section& section, ShowModel& model)
{
    for (int element = 1; element <= model.elementsInUse(); ++element)
        for (int plane = Red; plane <= White; ++plane) {
            const auto channel = section.number(0, HighestPatchValue);
            if (!channel)
                return false;
            model.patch(element, plane) = static_cast<std::uint16_t>(*channel);
        }
    return true;
}

bool readCorrection(Section& section, ShowModel& model)
{
    for (int element = 1; element <= model.elementsInUse(); ++element)
        for (int plane = Red; plane <= White; ++plane)
            if (!section.number(model.correction(element, plane)))
                return false;
    return true;
}

LoadOutcome failSection(ShowFileContext& context, const char* message)
{
    tell(context, message);
    context.model.ConfigFileName.clear();
    return LoadOutcome::Failed;
}

LoadOutcome loadConfiguration(ShowFileContext& context, const std::string& requested)
{
    ShowModel& model = context.model;
    auto opened = openWithFallback(context, requested, ShowFolder::Configuration);
    if (!opened) {
        tell(context, "Die Datei " + requested + " konnte nicht gefunden werden.");
        return LoadOutcome::NotFound;
    }
    const ShowFileReader& reader = opened->reader;

    Section name = reader.section("[NAME]");
    if (name.found())
        if (const auto text = name.text())
            model.WallName = fixedLength(*text, WallNameLength);

    Section config = reader.section("[CONFIG]");
    WallSize size;
    if (!config.notSearched()) {
        if (!readWallSize(config, size))
            return failSection(context, "Fehler beim laden der Konfiguration im Abschnitt [Config]");
        model.WallColumns = size.columns;
        model.WallRows = size.rows;
        model.ElementWidth = size.width;
        model.ElementHeight = size.height;
        model.WallZoom = size.zoom;
    }
    BuildWall(model, context.view, context.user, WallBuildKind::FromConfiguration);

    Section dmx = reader.section("[DMXINI]");
    if (!dmx.notSearched()) {
        for (auto& value : model.DmxTiming)
            if (!dmx.number(value))
                return failSection(context, "Fehler beim laden der DMX-Werte in der Konfigurationsdatei");
        model.TimingBlockPending = 1;
    }

    Section patching = reader.section("[PATCHING]");
    if (!patching.notSearched() && (patching.failed() || !readPatch(patching, model)))
        return failSection(context, "Fehler beim laden der Patchingtabelle in der Konfigurationsdatei");

    Section correction = reader.section("[FARBKORREKTUR]");
    if (!correction.notSearched() && (correction.failed() || !readCorrection(correction, model)))
        return failSection(context, "Fehler beim laden der Farbkorekturtabelle in der Konfigurationsdatei");

    model.clearDocument(DocumentFlag::ConfigNew | DocumentFlag::ConfigChanged);
    if (opened->viaFallback)
        tell(context, "Suchpfad der Configurationsdatei hat sich verändert");

    if (size.storedElements != model.ElementCount) {
        context.user.beep();
        tell(context, "Fehler beim laden der Konfigurationsdatei ! Anzahl der berechneten Elemente stimmt nicht "
                      "überein mit den gespeicherten.");
        return LoadOutcome::Failed;
    }
    context.view.setWallStatus("Configuration erfolgreich geladen!");
    model.ConfigFileName = opened->path;
    if (model.hasState(StateFlag::PatchWindowWorking))
        context.view.showWallWindow();
    return LoadOutcome::Loaded;
}

}  // namespace

LoadOutcome LoadConfiguration(ShowFileContext& context)
{
    ShowModel& model = context.model;
    if (model.hasState(StateFlag::SequencePlaying)) {
        tell(context, "Während eine Sequenz abgespielt wird, kann nicht geladen werden!");
        return LoadOutcome::Refused;
    }
    const auto path =
        askOpenPath(context, model.ConfigFileName,
                    {"Configuration Laden", folderOf(model.ConfigFileName), "TINCTARA.CFG", "*.CFG", "CFG"});
    if (!path)
        return LoadOutcome::Cancelled;
    try {
        return loadConfiguration(context, *path);
    } catch (const std::exception&) {
        tell(context, "Fehler beim laden der Konfigurationsdatei");
        return LoadOutcome::Failed;
    }
}

SaveOutcome SaveConfiguration(ShowFileContext& context)
{
    ShowModel& model = context.model;
    const auto path = askSavePath(context, model.ConfigFileName,
                                  {"TINCTARA Konfiguration Speichern", joinPath(context.programFolder, "config"),
                                   fileNamePart(model.ConfigFileName), "*.CFG", "CFG"});
    if (!path)
        return SaveOutcome::Cancelled;

    ShowFileWriter out;
    out.line(Header);
    out.line("[NAME]");
    out.line(fixedLength(model.WallName, WallNameLength));
    out.line("[Config]");
    out.keyLine("ElementeMax = ", model.ElementCount);
    out.keyLine("Xmax = ", model.WallColumns);
    out.keyLine("Ymax = ", model.WallRows);
    out.numberLine(model.ElementWidth);
    out.numberLine(model.ElementHeight);
    out.numberLine(model.WallZoom);
    out.line("[DMXINI]");
    out.valueList(model.DmxTiming);
    const int elements = model.elementsInUse();
    out.line("[Patching]");
    out.beginList();
    for (int element = 1; element <= elements; ++element)
        for (int plane = Red; plane <= White; ++plane)
            out.listValue(model.patch(element, plane));
    out.endLine();
    out.line("[Farbkorrektur]");
    out.beginList();
    for (int element = 1; element <= elements; ++element)
        for (int plane = Red; plane <= White; ++plane)
            out.listValue(model.correction(element, plane));
    out.endLine();

    if (!commitOrTell(context, out, *path))
        return SaveOutcome::Failed;
    context.view.setWallStatus("Konfiguration erfolgreich abgespeichert.");
    model.ConfigFileName = *path;
    model.clearDocument(DocumentFlag::ConfigNew | DocumentFlag::ConfigChanged);
    return SaveOutcome::Saved;
}

}  // namespace tinctara
