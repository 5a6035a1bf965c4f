#include "files/ShowFileCommon.h"

#include "files/ShowPaths.h"

namespace tinctara::showfile {

void tell(ShowFileContext& context, const std::string& text)
{
    context.user.messageBox(text, "", MessageButtons::Ok, MessageIcon::None);
}

std::optional<std::string> askOpenPath(ShowFileContext& context, const std::string& currentPath,
                                       FileDialogRequest request)
{
    if (context.model.hasState(StateFlag::SilentFileOp))
        return currentPath;
    return context.user.openFileDialog(request);
}

std::optional<std::string> askSavePath(ShowFileContext& context, const std::string& currentPath,
                                       FileDialogRequest request)
{
    if (context.model.hasState(StateFlag::SilentFileOp))
        return currentPath;
    return context.user.saveFileDialog(request);
}

namespace {

std::optional<ShowFileReader> openOrRefuse(const std::string& path)
{
    ReadProblem problem = ReadProblem::None;
    auto reader = ShowFileReader::open(path, &problem);
    if (problem != ReadProblem::None && problem != ReadProblem::NotFound)
        throw UnusableShowFile(path);
    return reader;
}

}  // namespace

std::optional<OpenedFile> openWithFallback(ShowFileContext& context, const std::string& path,
                                           const char* fallbackFolder)
{
    if (auto reader = openOrRefuse(path))
        return OpenedFile{std::move(*reader), path, false};
    const auto found = findIgnoringCase(context.programFolder, fallbackFolder, fileNamePart(path));
    if (!found)
        return std::nullopt;
    if (auto reader = openOrRefuse(*found))
        return OpenedFile{std::move(*reader), *found, true};
    return std::nullopt;
}

bool commitOrTell(ShowFileContext& context, const ShowFileWriter& writer, const std::string& path)
{
    if (writer.commit(path))
        return true;
    tell(context, SaveAborted);
    return false;
}

}  // namespace tinctara::showfile
