#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tinctara {

namespace {

bool writable(const QString& folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tinctara-probe-XXXXXX")));
    return probe.open();
}

}  // namespace

void seedFolder(const QString& from, const QString& to)
{
    QDir target(to);
    target.mkpath(QStringLiteral("."));
    QDirIterator files(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString relative = QDir(from).relativeFilePath(source);
        const QString destination = target.filePath(relative);
        if (files.fileInfo().isDir())
            target.mkpath(relative);
        else if (!QFileInfo::exists(destination))
            QFile::copy(source, destination);
    }
}

QString resolveProgramFolder(const QString& homeOption)
{
    QString folder = homeOption;
    if (folder.isEmpty())
        folder = qEnvironmentVariable("TINCTARA_HOME");
    if (folder.isEmpty()) {
        folder = QCoreApplication::applicationDirPath();
        const QString installedData = QDir(folder).absoluteFilePath(QStringLiteral("../share/tinctara"));
        if (!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("TINCT_D.MSG"))) &&
            QFileInfo::exists(installedData))
            folder = QDir::cleanPath(installedData);
    }
    folder = QDir(folder).absolutePath();
    if (writable(folder))
        return folder;

    const QString perUser =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("tinctara"));
    seedFolder(folder, perUser);
    return perUser;
}

}  // namespace tinctara
