#pragma once

#include "core/files/FileHarness.h"
#include "history/DocumentSnapshot.h"

#include <array>
#include <filesystem>
#include <string>

namespace tinctara::testing {

// The bytes the kind's saver writes now, to a scratch file; the model's file
// names and marks stay as they were.
inline std::string savedBytes(FileHarness& h, history::DocumentKind kind)
{
    using history::DocumentKind;
    const ShowModel kept = h.model;
    const std::string path = h.path("probe");
    std::filesystem::remove(path);
    switch (kind) {
    case DocumentKind::Configuration:
        h.saveConfiguration(path);
        break;
    case DocumentKind::Scene:
        h.saveScene(path);
        break;
    // Without a sequence there is nothing to save, and no file.
    case DocumentKind::Sequence:
        h.saveSequence(path);
        break;
    case DocumentKind::ColourTable:
        h.saveColourTable(path);
        break;
    }
    h.model.ConfigFileName = kept.ConfigFileName;
    h.model.SceneFileName = kept.SceneFileName;
    h.model.SequenceFileName = kept.SequenceFileName;
    h.model.ColourTableFileName = kept.ColourTableFileName;
    h.model.DocumentFlags = kept.DocumentFlags;
    return readBytes(path);
}

inline std::array<std::string, history::DocumentKindCount> allFiles(FileHarness& h)
{
    std::array<std::string, history::DocumentKindCount> files;
    for (const history::DocumentKind kind : history::AllDocumentKinds)
        files[static_cast<std::size_t>(kind)] = savedBytes(h, kind);
    return files;
}

}  // namespace tinctara::testing
