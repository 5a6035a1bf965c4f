#pragma once

#include <QString>

namespace tinctara {

// Where the program keeps its settings and shows, and what the user must be
// told about it once at start-up.
struct ProgramFolderChoice {
    QString folder;
    QString problem;  // German; empty when the folder can be written
    QString notice;   // German, one line for standard error; empty when there is nothing to say
};

// The program folder: --home DIR, else TINCTARA_HOME, else the folder of the
// executable or, for an installed program, its shared data folder.
// An installed data folder (share/tinctara, or anything below /usr) is never
// written: the program works in a per-user folder under the user's data home,
// seeded from it. So does a program folder that cannot be written. When the
// per-user folder cannot be made or written either, the program reads from
// the data folder (saves then fail) and `problem` says which folder failed.
ProgramFolderChoice resolveProgramFolder(const QString& homeOption);

// The choice for a data folder as found: `installed` when it must not be
// written, `perUser` the folder to work in instead.
ProgramFolderChoice chooseProgramFolder(const QString& dataFolder, bool installed, const QString& perUser);

// The choice for a folder the user named (--home, TINCTARA_HOME): used as it
// is, but one that is empty or not there yet is first seeded from
// `dataFolder` as a per-user folder is, once, and `notice` says so.
ProgramFolderChoice chooseNamedFolder(const QString& named, const QString& dataFolder, const QString& perUser);

// Seeds `to` from `from` with the show data only: the show folders with their
// show files, the message files, TINCTARA.ini (its [FILES] names moved from
// `from` to `to`) and hardware.ini, none of which replaces a file `to` has;
// and what the program only reads (firmware images, interface photographs,
// the help text), refreshed when `from` has a newer one. Executables,
// libraries and anything else stay where they are.
void seedFolder(const QString& from, const QString& to);

}  // namespace tinctara
