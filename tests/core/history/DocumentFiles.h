#pragma once

#include "core/files/FileHarness.h"
#include "support/SavedDocuments.h"

#include <array>
#include <string>

namespace tinctara::testing {

// The bytes the kind's saver writes now, to a scratch file in the harness's
// folder; the model's file names and marks stay as they were.
inline std::string savedBytes(FileHarness& h, history::DocumentKind kind)
{
    return savedBytes(h.context, kind, h.root);
}

inline std::array<std::string, history::DocumentKindCount> allFiles(FileHarness& h)
{
    return allSavedBytes(h.context, h.root);
}

}  // namespace tinctara::testing
