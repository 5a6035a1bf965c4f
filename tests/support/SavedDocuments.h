#pragma once

#include "files/ShowFiles.h"
#include "history/DocumentSnapshot.h"
#include "windows/ShowFileCommands.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tinctara::testing {

// The bytes the kind's real saver writes for the show as it stands, to a
// scratch file in `folder`; the model's file names and marks stay as they
// were. Without a sequence there is nothing to save: no file, no bytes.
inline std::string savedBytes(ShowFileContext& context, history::DocumentKind kind, const std::filesystem::path& folder)
{
    ShowModel& model = context.model;
    const std::filesystem::path path = folder / "probe";
    std::filesystem::remove(path);
    using history::DocumentKind;
    std::string* name = kind == DocumentKind::Config     ? &model.ConfigFileName
                        : kind == DocumentKind::Scene    ? &model.SceneFileName
                        : kind == DocumentKind::Sequence ? &model.SequenceFileName
                                                         : &model.ColourTableFileName;
    const std::string keptName = *name;
    const std::uint16_t keptMarks = model.DocumentFlags;
    *name = path.string();
    model.setState(StateFlag::SilentFileOp);
    ShowFileCommands(context).save(kind);
    model.clearState(StateFlag::SilentFileOp);
    *name = keptName;
    model.DocumentFlags = keptMarks;
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::array<std::string, history::DocumentKindCount> allSavedBytes(ShowFileContext& context,
                                                                         const std::filesystem::path& folder)
{
    std::array<std::string, history::DocumentKindCount> files;
    for (const history::DocumentKind kind : history::AllDocumentKinds)
        files[static_cast<std::size_t>(kind)] = savedBytes(context, kind, folder);
    return files;
}

}  // namespace tinctara::testing
