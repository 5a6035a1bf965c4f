#pragma once

#include <QString>

namespace tinctara {

// The program folder: --home DIR, else TINCTARA_HOME, else the folder of the
// executable (or, for an installed program, its shared data folder). When that
// folder cannot be written, a per-user folder under the user's data home takes
// its place, seeded with the files it does not have yet, so that settings and
// shows are never lost.
QString resolveProgramFolder(const QString& homeOption);

// Copies every file of `from` that `to` lacks; existing files are kept.
void seedFolder(const QString& from, const QString& to);

}  // namespace tinctara
