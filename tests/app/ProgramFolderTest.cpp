#include "ProgramFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tinctara;

namespace {

void put(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    if (permissions)
        file.setPermissions(permissions);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

constexpr auto ReadOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

}  // namespace

class ProgramFolderTest : public QObject {
    Q_OBJECT

private:
    // An installed data folder: show data, what the program only reads, and
    // things that are no show data at all.
    void makeDataFolder(const QString& data)
    {
        const QByteArray folder = QFile::encodeName(data);
        put(data + "/TINCTARA.ini",
            "ini-Datei von TINCTARA 98\r\n[FILES]\r\n" + folder + "/config/DEMO.CFG\r\n\r\n" + folder +
                "/sequence/DEMO.CSQ\r\n" + folder + "/Farbtbl/DEMO.CCT\r\n[WINDOWSPOS]\r\n 0\r\n",
            ReadOnly);
        put(data + "/TINCT_D.MSG", "96=Auswahl\r\n", ReadOnly);
        put(data + "/hardware.ini", "[isa]\n", ReadOnly);
        put(data + "/FWISA12A.BIN", "firmware", ReadOnly);
        put(data + "/7301b.jpg", "photo", ReadOnly);
        put(data + "/tinctara.doc", "help", ReadOnly);
        put(data + "/config/DEMO.CFG", "cfg", ReadOnly);
        put(data + "/sequence/DEMO.CSQ", "csq", ReadOnly);
        put(data + "/Farbtbl/DEMO.CCT", "cct", ReadOnly);
        put(data + "/config/readme.txt", "not a show");
        put(data + "/tinctara",
            "\x7f"
            "ELF",
            ReadOnly | QFileDevice::ExeOwner);
        put(data + "/libpagestor.so", "\x7f"
                                      "ELF");
        put(data + "/lib/libdmxcrd32.so.1", "\x7f"
                                            "ELF");
        put(data + "/CMakeFiles/x.cmake", "build");
    }

private slots:
    void installedProgramWorksInASeededPerUserFolder()
    {
        QTemporaryDir root;
        const QString data = root.filePath("usr/share/tinctara");
        const QString perUser = root.filePath("home/.local/share/tinctara");
        makeDataFolder(data);

        const ProgramFolderChoice choice = chooseProgramFolder(data, true, perUser);
        QCOMPARE(choice.folder, perUser);
        QVERIFY(choice.problem.isEmpty());

        for (const char* name : {"TINCT_D.MSG", "hardware.ini", "FWISA12A.BIN", "7301b.jpg", "tinctara.doc",
                                 "config/DEMO.CFG", "sequence/DEMO.CSQ", "Farbtbl/DEMO.CCT"}) {
            QVERIFY2(QFileInfo(perUser + "/" + name).isFile(), name);
            QVERIFY2(QFileInfo(perUser + "/" + name).isWritable(), name);
        }
        for (const char* name : {"tinctara", "libpagestor.so", "lib", "CMakeFiles", "config/readme.txt"})
            QVERIFY2(!QFileInfo::exists(perUser + "/" + name), name);
        for (const char* name : {"scenen", "sequencen"})
            QVERIFY2(QFileInfo(perUser + "/" + name).isDir(), name);

        const QByteArray user = QFile::encodeName(perUser);
        QCOMPARE(contents(perUser + "/TINCTARA.ini"), "ini-Datei von TINCTARA 98\r\n[FILES]\r\n" + user +
                                                          "/config/DEMO.CFG\r\n\r\n" + user + "/sequence/DEMO.CSQ\r\n" +
                                                          user + "/Farbtbl/DEMO.CCT\r\n[WINDOWSPOS]\r\n 0\r\n");
        QCOMPARE(contents(data + "/config/DEMO.CFG"), QByteArray("cfg"));
    }

    void laterStartsKeepTheUsersShowsAndFollowNewerReadOnlyFiles()
    {
        QTemporaryDir root;
        const QString data = root.filePath("share/tinctara");
        const QString perUser = root.filePath("user/tinctara");
        makeDataFolder(data);
        chooseProgramFolder(data, true, perUser);

        put(perUser + "/config/DEMO.CFG", "the user's wall");
        // A settings file seeded before its names were moved.
        put(perUser + "/TINCTARA.ini", "x\r\n[FILES]\r\n" + QFile::encodeName(data) + "/config/DEMO.CFG\r\n");
        QFile::setPermissions(data + "/FWISA12A.BIN", ReadOnly | QFileDevice::WriteOwner);
        put(data + "/FWISA12A.BIN", "new firmware");
        QFile firmware(data + "/FWISA12A.BIN");
        QVERIFY(firmware.open(QIODevice::ReadWrite));
        firmware.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
        firmware.close();

        QCOMPARE(chooseProgramFolder(data, true, perUser).folder, perUser);
        QCOMPARE(contents(perUser + "/config/DEMO.CFG"), QByteArray("the user's wall"));
        QCOMPARE(contents(perUser + "/FWISA12A.BIN"), QByteArray("new firmware"));
        QCOMPARE(contents(perUser + "/TINCTARA.ini"),
                 "x\r\n[FILES]\r\n" + QFile::encodeName(perUser) + "/config/DEMO.CFG\r\n");
    }

    void noWritableFolderReadsTheDataFolderAndSaysWhichFolderFailed()
    {
        QTemporaryDir root;
        const QString data = root.filePath("share/tinctara");
        makeDataFolder(data);
        put(root.filePath("blocker"), "a file where the folder should be");
        const QString perUser = root.filePath("blocker/tinctara");

        const ProgramFolderChoice choice = chooseProgramFolder(data, true, perUser);
        QCOMPARE(choice.folder, data);
        QVERIFY2(choice.problem.startsWith("Der Benutzerordner " + perUser + " kann nicht angelegt"),
                 qPrintable(choice.problem));
        QVERIFY(choice.problem.contains(data));

        const ProgramFolderChoice unnamed = chooseProgramFolder(data, true, QString());
        QCOMPARE(unnamed.folder, data);
        QVERIFY(!unnamed.problem.isEmpty());
    }

    void writableBuildFolderIsUsedAsItIs()
    {
        QTemporaryDir root;
        const QString program = root.filePath("build/program");
        makeDataFolder(program);
        const QString perUser = root.filePath("user/tinctara");
        const ProgramFolderChoice choice = chooseProgramFolder(program, false, perUser);
        QCOMPARE(choice.folder, program);
        QVERIFY(choice.problem.isEmpty());
        QVERIFY(!QFileInfo::exists(perUser));
        QCOMPARE(QDir(program).entryList(QStringList{".tinctara-*"}, QDir::Files | QDir::Hidden), QStringList{});

        const ProgramFolderChoice fromOption = resolveProgramFolder(program);
        QCOMPARE(fromOption.folder, program);
    }

    // --home on a folder that is empty or not there yet gets the sample show
    // once, its settings naming its own copies; a folder with anything in it
    // is used as it stands.
    void namedEmptyFolderIsSeededOnce()
    {
        QTemporaryDir root;
        const QString data = root.filePath("build/program");
        makeDataFolder(data);
        const QString perUser = root.filePath("user/tinctara");
        for (const QString& named : {root.filePath("new/home"), root.filePath("empty")}) {
            QDir().mkpath(root.filePath("empty"));
            const ProgramFolderChoice first = chooseNamedFolder(named, data, perUser);
            QCOMPARE(first.folder, named);
            QVERIFY(first.problem.isEmpty());
            QCOMPARE(first.notice, "Der Programmordner " + named + " war leer und wurde mit der Beispielshow aus " +
                                       data + " eingerichtet.");
            for (const char* name : {"TINCT_D.MSG", "hardware.ini", "FWISA12A.BIN", "7301b.jpg", "tinctara.doc",
                                     "config/DEMO.CFG", "sequence/DEMO.CSQ", "Farbtbl/DEMO.CCT"})
                QVERIFY2(QFileInfo(named + "/" + name).isFile(), name);
            QVERIFY(contents(named + "/TINCTARA.ini").contains(QFile::encodeName(named) + "/config/DEMO.CFG\r\n"));
            QVERIFY(!contents(named + "/TINCTARA.ini").contains(QFile::encodeName(data)));

            put(named + "/config/DEMO.CFG", "the user's wall");
            const ProgramFolderChoice again = chooseNamedFolder(named, data, perUser);
            QCOMPARE(again.folder, named);
            QVERIFY(again.notice.isEmpty());
            QCOMPARE(contents(named + "/config/DEMO.CFG"), QByteArray("the user's wall"));
        }

        const QString used = root.filePath("used");
        put(used + "/notes.txt", "mine");
        const ProgramFolderChoice kept = chooseNamedFolder(used, data, perUser);
        QCOMPARE(kept.folder, used);
        QVERIFY(kept.notice.isEmpty());
        QCOMPARE(QDir(used).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"notes.txt"});
        QVERIFY(!QFileInfo::exists(perUser));
    }
};

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "ProgramFolderTest.moc"
