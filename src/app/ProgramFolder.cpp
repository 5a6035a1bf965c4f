#include "ProgramFolder.h"

#include "files/SafeFile.h"
#include "files/SettingsFile.h"
#include "QtText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace tinctara {

namespace {

// Asks the file system rather than creating a probe file, so that nothing is
// written into a folder the program will not use.
bool writable(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() &&
           ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

bool hasExtension(const QString& name, std::initializer_list<const char*> extensions)
{
    for (const char* extension : extensions)
        if (name.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return true;
    return false;
}

// The show folders the save dialogs and the fall-back search use.
const char* const ShowFolders[] = {"config", "scenen", "sequence", "sequencen", "Farbtbl"};

void makeUserWritable(const QString& path)
{
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
}

// Show data is the user's once copied: never replaced.
void copyIfMissing(const QString& source, const QString& destination)
{
    if (QFileInfo::exists(destination) || QFileInfo(destination).isSymLink())
        return;
    if (QFile::copy(source, destination))
        makeUserWritable(destination);
}

// What the program only reads follows the data folder (a newer package).
void copyIfNewer(const QString& source, const QString& destination)
{
    const QFileInfo copy(destination);
    if (copy.exists() && copy.lastModified() >= QFileInfo(source).lastModified())
        return;
    QFile::remove(destination);
    if (QFile::copy(source, destination))
        makeUserWritable(destination);
}

// The seeded settings file names the copies, not the data folder, so that a
// Yes to a save question never writes into it. Applied to a settings file
// seeded earlier as well.
void moveSettingsNames(const QString& settings, const QString& from, const QString& to)
{
    const std::string path = QFile::encodeName(settings).toStdString();
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return;
    const std::string moved = moveSettingsFileNames(*bytes, utf8(QDir::cleanPath(from)), utf8(QDir::cleanPath(to)));
    if (moved != *bytes)
        writeFileAtomically(path, moved);
}

}  // namespace

void seedFolder(const QString& from, const QString& to)
{
    const QDir source(from);
    QDir target(to);
    target.mkpath(QStringLiteral("."));

    for (const QFileInfo& entry : source.entryInfoList(QDir::Files)) {
        const QString name = entry.fileName();
        const QString destination = target.filePath(name);
        if (hasExtension(name, {".MSG"}) || name.compare(QLatin1String("hardware.ini"), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String("TINCTARA.ini"), Qt::CaseInsensitive) == 0)
            copyIfMissing(entry.filePath(), destination);
        else if (hasExtension(name, {".BIN", ".jpg", ".doc"}))
            copyIfNewer(entry.filePath(), destination);
    }

    for (const char* folder : ShowFolders) {
        // The data folder's own spelling of the folder, if it has one.
        QString name = QLatin1String(folder);
        for (const QString& existing : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (existing.compare(name, Qt::CaseInsensitive) == 0)
                name = existing;
        target.mkpath(name);
        const QDir shows(source.filePath(name));
        for (const QFileInfo& entry : shows.entryInfoList(QDir::Files))
            if (hasExtension(entry.fileName(), {".CFG", ".CSC", ".CSQ", ".CCT"}))
                copyIfMissing(entry.filePath(), target.filePath(name + QLatin1Char('/') + entry.fileName()));
    }

    moveSettingsNames(target.filePath(QStringLiteral("TINCTARA.ini")), from, to);
}

ProgramFolderChoice chooseProgramFolder(const QString& dataFolder, bool installed, const QString& perUser)
{
    if (!installed && writable(dataFolder))
        return {dataFolder, {}, {}};
    if (!perUser.isEmpty() && QDir().mkpath(perUser) && writable(perUser)) {
        seedFolder(dataFolder, perUser);
        return {perUser, {}, {}};
    }
    const QString shown = perUser.isEmpty() ? QStringLiteral("(kein Benutzerordner bekannt)") : perUser;
    QString problem;
    if (installed)
        problem = QStringLiteral("Der Benutzerordner %1 kann nicht angelegt oder beschrieben werden.").arg(shown);
    else
        problem = QStringLiteral("Weder der Programmordner %1 noch der Benutzerordner %2 kann beschrieben werden.")
                      .arg(dataFolder, shown);
    problem +=
        QStringLiteral(" Einstellungen und Shows werden aus %1 gelesen; Speichern ist nicht möglich.").arg(dataFolder);
    return {dataFolder, problem, {}};
}

ProgramFolderChoice chooseNamedFolder(const QString& named, const QString& dataFolder, const QString& perUser)
{
    const QString folder = QDir::cleanPath(QDir(named).absolutePath());
    QString notice;
    const bool empty = QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    if (empty && folder != QDir::cleanPath(dataFolder) && QDir().mkpath(folder) && writable(folder)) {
        seedFolder(dataFolder, folder);
        notice = QStringLiteral("Der Programmordner %1 war leer und wurde mit der Beispielshow aus %2 eingerichtet.")
                     .arg(folder, QDir::cleanPath(dataFolder));
    }
    ProgramFolderChoice choice = chooseProgramFolder(folder, false, perUser);
    choice.notice = notice;
    return choice;
}

namespace {

// Where the shipped show data lies: beside the executable, or for an
// installed program its share/tinctara. `installed` when it must not be written.
QString shippedDataFolder(bool& installed)
{
    QString folder = QCoreApplication::applicationDirPath();
    const QString installedData = QDir(folder).absoluteFilePath(QStringLiteral("../share/tinctara"));
    installed = false;
    if (!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("TINCT_D.MSG"))) && QFileInfo::exists(installedData)) {
        folder = installedData;
        installed = true;
    }
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    // Nothing below /usr is written at run time, whoever runs the program.
    installed = installed || folder.startsWith(QLatin1String("/usr/"));
    return folder;
}

}  // namespace

ProgramFolderChoice resolveProgramFolder(const QString& homeOption)
{
    QString named = homeOption;
    if (named.isEmpty())
        named = qEnvironmentVariable("TINCTARA_HOME");
    bool installed = false;
    const QString shipped = shippedDataFolder(installed);

    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString perUser = dataHome.isEmpty() ? QString() : QDir(dataHome).filePath(QStringLiteral("tinctara"));
    if (!named.isEmpty())
        return chooseNamedFolder(named, shipped, perUser);
    return chooseProgramFolder(shipped, installed, perUser);
}

}  // namespace tinctara
