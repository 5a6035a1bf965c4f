#include "files/ShowFileCommon.h"
#include "files/ShowPaths.h"
#include "text/Text.h"

#include <exception>

namespace tinctara {

using namespace showfile;

namespace {

constexpr const char* Header = "Farbtabelle von TINCTARA 99";

LoadOutcome loadColourTable(ShowFileContext& context, const std::string& requested)
{
    ShowModel& model = context.model;
    auto opened = openWithFallback(context, requested, ShowFolder::ColourTable);
    if (!opened) {
        tell(context, "Konnte Farbtabelle nicht finden");
        model.ColourTableFileName.clear();
        return LoadOutcome::NotFound;
    }
    const ShowFileReader& reader = opened->reader;

    Section config = reader.section("[CONFIG]");
    std::uint8_t colours = 0;
    if (config.failed() || (config.found() && !config.key(colours)))
        return LoadOutcome::Failed;
    if (colours != UserColours) {
        context.user.beep();
        tell(context, "Fehler beim Laden der Farbtabelle! Beim Erstellen der Datei wurde eine andere Anzahl an "
                      "Farben benutzt.");
        return LoadOutcome::Failed;
    }

    Section values = reader.section("[VALUES]");
    if (!values.notSearched()) {
        for (int colour = 1; colour <= UserColours; ++colour)
            for (int plane = Red; plane <= White; ++plane)
                if (!values.number(model.ColourLevels[ShowModel::userColourIndex(colour, plane)]))
                    return LoadOutcome::Failed;
    }

    Section names = reader.section("[NAMES]");
    if (!names.notSearched()) {
        for (auto& name : model.ColourNames) {
            const auto text = names.text();
            if (!text)
                return LoadOutcome::Failed;
            name = fixedLength(*text, UserColourNameLength);
        }
    }

    if (opened->viaFallback) {
        if (model.SequenceFileName.empty()) {
            tell(context, "Der Suchpfad  der Farbtabelle hat sich verändert. Bitte speichern Sie die Szene neu ab.");
            model.setDocument(DocumentFlag::SceneChanged);
        } else {
            tell(context, "Der Suchpfad  der Farbtabelle hat sich verändert. Bitte speichern Sie die Sequenz neu ab.");
            model.setDocument(DocumentFlag::SequenceChanged | DocumentFlag::SceneChanged);
        }
    }
    if (model.hasState(StateFlag::ColourWindowOpen)) {
        context.view.setColourWindowStatus("Farbtabelle erfolgreich geladen!");
        context.view.setColourWindowCaption(fileNamePart(opened->path) + "Color Fenster ");
        context.view.showUserColours();
    }
    model.ColourTableFileName = opened->path;
    model.clearDocument(DocumentFlag::ColourTableNew | DocumentFlag::ColourTableChanged);
    return LoadOutcome::Loaded;
}

}  // namespace

LoadOutcome LoadColourTable(ShowFileContext& context)
{
    ShowModel& model = context.model;
    // Allowed while a sequence plays: the table is not part of the picture.
    const auto path = askOpenPath(context, model.ColourTableFileName,
                                  {"Farbtabelle Laden", folderOf(model.ColourTableFileName), "*.CCT", "*.CCT", "CCT"});
    if (!path)
        return LoadOutcome::Cancelled;
    try {
        return loadColourTable(context, *path);
    } catch (const std::exception&) {
        tell(context, "Fehler beim laden der Farbtabelle");
        model.ColourTableFileName.clear();
        return LoadOutcome::Failed;
    }
}

SaveOutcome SaveColourTable(ShowFileContext& context)
{
    ShowModel& model = context.model;
    const std::string proposed = model.hasDocument(DocumentFlag::ColourTableChanged)
                                     ? fileNamePart(model.ColourTableFileName)
                                     : std::string("*.CCT");
    const auto path =
        askSavePath(context, model.ColourTableFileName,
                    {"Farbtabelle Speichern", joinPath(context.programFolder, "Farbtbl"), proposed, "*.CCT", "CCT"});
    if (!path)
        return SaveOutcome::Cancelled;

    ShowFileWriter out;
    out.line(Header);
    out.line("[Config]");
    out.keyLine("UserColors = ", UserColours);
    out.line("[VALUES]");
    out.beginList();
    for (int colour = 1; colour <= UserColours; ++colour)
        for (int plane = Red; plane <= White; ++plane)
            out.listValue(model.ColourLevels[ShowModel::userColourIndex(colour, plane)]);
    out.endLine();
    out.line("[Names]");
    // The last line stays open: the file ends after the 20th name's ",".
    for (const auto& name : model.ColourNames)
        out.textField(fixedLength(name, UserColourNameLength));

    if (!commitOrTell(context, out, *path))
        return SaveOutcome::Failed;
    context.view.setWallStatus("Farbtabelle erfolgreich abgespeichert.");
    model.ColourTableFileName = *path;
    model.clearDocument(DocumentFlag::ColourTableNew | DocumentFlag::ColourTableChanged);
    return SaveOutcome::Saved;
}

}  // namespace tinctara
