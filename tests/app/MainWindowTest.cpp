#include "Accessibility.h"
#include "InfoWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "files/SettingsFile.h"
#include "ProgramFixture.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>

using namespace tinctara;

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Program> startProgram() { return fixture_.start(StateFlag::AutoLoad, false); }

    // Fails the test instead of hanging when a message box appears.
    void failOnMessageBox()
    {
        QTimer::singleShot(0, this, [this] {
            if (stopWatching_)
                return;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                    unexpectedMessage_ = box->text();
                    box->reject();
                }
            failOnMessageBox();
        });
    }

    testing::ProgramFixture fixture_;
    QString unexpectedMessage_;
    bool stopWatching_ = false;

private slots:
    void init()
    {
        fixture_.reset();
        unexpectedMessage_.clear();
        stopWatching_ = false;
        failOnMessageBox();
    }
    void cleanup() { stopWatching_ = true; }

    // A copy of a program folder keeps settings that name the original's
    // shows: it loads its own copies, without a word, and saves into them;
    // the original is never written.
    void aCopiedProgramFolderLoadsAndSavesItsOwnShows()
    {
        const QString shipped = QCoreApplication::applicationDirPath();
        QTemporaryDir original;
        const QString copy = fixture_.path();
        for (const char* name : {"config/DEMO.CFG", "sequence/DEMO.CSQ"})
            for (const QString& folder : {original.path(), copy}) {
                QDir().mkpath(QFileInfo(folder + "/" + name).absolutePath());
                QVERIFY(QFile::copy(shipped + "/" + name, folder + "/" + name));
            }
        const std::string from = original.path().toStdString();
        auto program = fixture_.start(StateFlag::AutoLoad, false,
                                      {from + "/config/DEMO.CFG", "", from + "/sequence/DEMO.CSQ", ""});
        QVERIFY(program);
        ShowModel& model = program->model();
        QCOMPARE(QString::fromStdString(model.ConfigFileName), copy + "/config/DEMO.CFG");
        QCOMPARE(QString::fromStdString(model.SequenceFileName), copy + "/sequence/DEMO.CSQ");
        QVERIFY(model.hasState(StateFlag::SequencePresent));
        QCOMPARE(unexpectedMessage_, QString());  // no "Suchpfad" message

        model.blendTime(1) = 77;
        model.setDocument(DocumentFlag::SequenceChanged);
        model.setState(StateFlag::SilentFileOp);
        QVERIFY(program->showFiles().save(DocumentKind::Sequence));
        model.clearState(StateFlag::SilentFileOp);
        auto bytes = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        QVERIFY(bytes(copy + "/sequence/DEMO.CSQ") != bytes(shipped + "/sequence/DEMO.CSQ"));
        QCOMPARE(bytes(original.path() + "/sequence/DEMO.CSQ"), bytes(shipped + "/sequence/DEMO.CSQ"));
        QCOMPARE(QString::fromStdString(model.SequenceFileName), copy + "/sequence/DEMO.CSQ");
    }

    void menusCaptionsAndShortcuts()
    {
        auto program = startProgram();
        QVERIFY(program);
        MainWindow& window = program->mainWindow();

        struct Entry {
            const char* name;
            const char* caption;
            QKeySequence shortcut;
            bool enabled;
        };
        const Entry entries[] = {
            {"mnuDatei", "&Datei", {}, true},
            {"mnuNeueWand", "Neue &Wand", QKeySequence("Ctrl+W"), true},
            {"mnuNeuesElement", "Neues &Element", QKeySequence("Ctrl+E"), false},
            {"mnuWandLoeschen", "Wand löschen", {}, false},
            {"mnuLaden", "Laden", {}, true},
            {"mnuLadenKonfiguration", "Konfiguration", {}, true},
            {"mnuLadenSzene", "Szene", {}, true},
            {"mnuLadenSequenz", "Sequenz", {}, true},
            {"mnuLadenFarbtabelle", "Farbtabelle", {}, true},
            {"mnuLadenMemoryCard", "Memory Card", {}, false},
            {"mnuSpeichern", "Speichern", {}, true},
            {"mnuSpeichernKonfiguration", "&Konfiguration", {}, true},
            {"mnuSpeichernSzene", "&Szene ", QKeySequence("Ctrl+S"), true},
            {"mnuSpeichernSequenz", "Se&quenz", QKeySequence("Ctrl+Q"), true},
            {"mnuSpeichernFarbtabelle", "&Farbtabelle", QKeySequence("Ctrl+F"), true},
            {"mnuSpeichernMemoryCard", "&Memory Card", QKeySequence("Ctrl+M"), true},
            {"mnuSequenzSenden", "Sequenz senden", {}, true},
            {"mnuSequenceToMerger", "zum Merger über DMX", {}, true},
            {"mnuBeenden", "Be&enden", QKeySequence("Ctrl+F4"), true},
            {"mnuBearbeiten", "&Bearbeiten", {}, true},
            {"mnuRueckgaengig", "&Rückgängig", QKeySequence("Ctrl+Z"), false},
            {"mnuWiederholen", "&Wiederholen", QKeySequence("Ctrl+Y"), false},
            {"mnuFarbe", "&Farbe", {}, true},
            {"mnuWand", "&Wand", {}, true},
            {"mnuElementPatchen", "&Element patchen", {}, true},
            {"mnuMusterHinzufuegen", "&Muster hinzufügen", {}, false},
            {"mnuMusterAuswaehlen", "Muster &auswählen", {}, false},
            {"mnuAllesMarkieren", "Alles markieren", QKeySequence("Ctrl+A"), true},
            {"mnuMarkierungUmkehren", "Markierung &umkehren", {}, true},
            {"mnuOptionen", "&Optionen", {}, true},
            {"mnuDMX", "&DMX", {}, true},
            {"mnuDMXInit", "Karte &initialisieren", QKeySequence("Ctrl+I"), true},
            {"mnuDMXStart", "DMX Start", {}, true},
            {"mnuDMXStop", "DMX Stop", {}, true},
            {"mnuDMXTest", "DMX Test", {}, true},
            {"mnuFenster", "Fenster", {}, true},
            {"mnuPatchfenster", "Patchfenster", QKeySequence("F5"), true},
            {"mnuSequenzer", "Sequenzer", QKeySequence("F6"), true},
            {"mnuColorFenster", "Color Fenster", QKeySequence("F7"), true},
            {"mnuDMXTestfenster", "DMX Testfenster", QKeySequence("F8"), true},
            {"mnuDMXEingang", "DMX Eingang", {}, true},
            {"mnuFragezeichen", "&?", {}, true},
            {"mnuInfo", "&Info", QKeySequence("Shift+F1"), true},
            {"mnuHilfe", "&Hilfe", QKeySequence("F1"), true},
            {"mnuDebug", "DEBUG", {}, false},
        };
        for (const auto& entry : entries) {
            QAction* action = window.action(QString::fromLatin1(entry.name));
            QVERIFY2(action, entry.name);
            QCOMPARE(action->text(), QString::fromUtf8(entry.caption));
            QCOMPARE(action->shortcut(), entry.shortcut);
            if (action->isVisible())  // a hidden action reports itself disabled
                QVERIFY2(action->isEnabled() == entry.enabled, entry.name);
            QCOMPARE(action->objectName(), QString::fromLatin1(entry.name));
        }
        QCOMPARE(window.menuBar()->actions().size(), 5);
        // Undo and redo head the edit menu, set off from the rest.
        const QList<QAction*> edit = window.editMenu()->actions();
        QCOMPARE(edit.size(), 11);
        QCOMPARE(edit.at(0), window.action("mnuRueckgaengig"));
        QCOMPARE(edit.at(1), window.action("mnuWiederholen"));
        QVERIFY(edit.at(2)->isSeparator());
        QCOMPARE(edit.at(3), window.action("mnuFarbe"));
        QCOMPARE(edit.at(1)->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));

        // Shown only for a 7301A/B card at start-up.
        QVERIFY(!window.action("mnuDMXStart")->isVisible());
        QVERIFY(!window.action("mnuDMXStop")->isVisible());
        QCOMPARE(window.windowTitle(), QStringLiteral(":   No Interface selected"));
        QCOMPARE(window.accessibleDescription(), QStringLiteral("MDIHaupt"));
    }

    void menuEntriesSpeakTheirCaptionAndControlName()
    {
        auto program = startProgram();
        QVERIFY(program);
        QMenu* file = program->mainWindow().fileMenu();
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(file);
        QVERIFY(menu);
        QAccessibleInterface* first = menu->child(0);
        QVERIFY(first);
        QCOMPARE(first->text(QAccessible::Name), QStringLiteral("Neue Wand"));
        QCOMPARE(first->text(QAccessible::Description), QStringLiteral("mnuNeueWand"));
    }

    void outputTimerIsStopped()
    {
        auto program = startProgram();
        QVERIFY(program);
        QVERIFY(!program->outputTimer().isEnabled());
    }

    void closesWithoutAQuestionWhenNothingIsUnsaved()
    {
        auto program = startProgram();
        QVERIFY(program);
        program->mainWindow().show();
        QVERIFY(QTest::qWaitForWindowExposed(&program->mainWindow()));
        program->model().WallZoom = 77;
        QVERIFY(program->mainWindow().close());
        QVERIFY(unexpectedMessage_.isEmpty());
        const auto sections = readSettingsFile(fixture_.filePath("TINCTARA.ini"));
        QVERIFY(sections.options.values);
        QCOMPARE(sections.options.values->wallZoom, 77);
    }

    void unsavedWallAsksAndCancelKeepsTheWindowOpen()
    {
        auto program = startProgram();
        QVERIFY(program);
        stopWatching_ = true;
        program->model().setDocument(DocumentFlag::ConfigNew);
        program->mainWindow().show();
        QString asked;
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                    asked = box->text();
                    box->button(QMessageBox::Cancel)->click();
                }
        });
        QVERIFY(!program->mainWindow().close());
        QCOMPARE(asked, QStringLiteral("Sie haben eine neue Wand erstellt. Wollen Sie sie jetzt abspeichern?"));
        QVERIFY(program->mainWindow().isVisible());
    }

    void rightClickOpensTheFileMenu()
    {
        auto program = startProgram();
        QVERIFY(program);
        MainWindow& window = program->mainWindow();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWidget* area = window.mdiArea()->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), area->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(area, &event);
        QTRY_VERIFY(window.fileMenu()->isVisible());
        window.fileMenu()->hide();
    }

    void autoUnloadKeepsTheProgramResponsiveForFiveSeconds()
    {
        auto program = startProgram();
        QVERIFY(program);
        auto* info = new InfoWindow(program->model().VersionText, program->user(), &program->mainWindow());
        QPointer<InfoWindow> guard(info);
        int ticks = 0;
        QTimer heartbeat;
        connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
        heartbeat.start(100);
        QElapsedTimer clock;
        clock.start();
        info->AutoUnload();
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 4900 && elapsed < 8000, qPrintable(QString::number(elapsed)));
        QVERIFY2(ticks >= 40, "the event loop stood still during the wait");
        QTRY_VERIFY(!guard);
    }

    void secondCopyIsRecognised()
    {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        LinuxSystemInfo first;
        LinuxSystemInfo second;
        QVERIFY(!first.previousInstanceRunning());
        QVERIFY(second.previousInstanceRunning());
        QCOMPARE(first.osVersion() & 0xFF, 10u);
    }

    // A runtime folder someone else made (or opened to all) is not used, and
    // the lock never falls back to one file in the temporary folder.
    void instanceLockIsNeverSharedBetweenUsers()
    {
        QTemporaryDir base;
        const QString cache = base.filePath(QStringLiteral("cache"));
        qputenv("XDG_CACHE_HOME", cache.toLocal8Bit());
        const QString foreign = base.filePath(QStringLiteral("runtime"));
        QVERIFY(QDir().mkdir(foreign));
        QVERIFY(::chmod(QFile::encodeName(foreign).constData(), 0777) == 0);
        if (geteuid() == 0)
            QVERIFY(::chown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0);
        qputenv("XDG_RUNTIME_DIR", foreign.toLocal8Bit());
        const QString folder = privateLockFolder();
        QVERIFY(!folder.isEmpty());
        QVERIFY2(folder != foreign, qPrintable(folder));
        QVERIFY(folder != QDir::tempPath());
        QFileInfo info(folder);
        QCOMPARE(info.ownerId(), uint(geteuid()));
        QCOMPARE(int(info.permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther | QFile::ReadGroup |
                                           QFile::WriteGroup | QFile::ExeGroup)),
                 0);
        {
            LinuxSystemInfo first;
            LinuxSystemInfo second;
            QVERIFY(!first.previousInstanceRunning());
            QVERIFY(second.previousInstanceRunning());
        }
        QVERIFY(!QFile::exists(QDir(foreign).filePath(QStringLiteral("tinctara.lock"))));
        qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_CACHE_HOME");
    }

    void dmxStartStopCheckMarksFollowTheCore()
    {
        auto program = startProgram();
        QVERIFY(program);
        program->view().setDmxStartStopChecked(true, false);
        QVERIFY(program->mainWindow().action("mnuDMXStart")->isChecked());
        QVERIFY(!program->mainWindow().action("mnuDMXStop")->isChecked());
        program->view().setDmxStartStopChecked(false, true);
        QVERIFY(program->mainWindow().action("mnuDMXStop")->isChecked());
    }

    void infoWindowOpensAndCloses()
    {
        auto program = startProgram();
        QVERIFY(program);
        program->mainWindow().show();
        program->mainWindow().action("mnuInfo")->trigger();
        QWidget* info = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == "frmInfo" && widget->isVisible())
                info = widget;
        QVERIFY(info);
        auto* text = info->findChild<QLabel*>("lblInfo_1");
        QVERIFY(text);
        QVERIFY(text->text().startsWith("DMX TINCTARA V 1.21\n"));
        auto* ok = info->findChild<QPushButton*>("cmdInfo");
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("&OK"));
        QPointer<QWidget> guard(info);
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(!guard);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
