// The sequencer window's caption through a recording and CLR ALL, and its
// beat row.
#include "MainWindow.h"
#include "Program.h"
#include "ProgramTimecode.h"
#include "ProgramFixture.h"
#include "support/ScriptedClock.h"
#include "support/TimecodeFakes.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

using namespace tinctara;

class SequencerWindowTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;
    testing::ScriptedClock clock_;

    static QString readName(QObject* object)
    {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
        return face ? face->text(QAccessible::Name) : QString();
    }

    QWidget* openSequencer(Program& program)
    {
        testing::ProgramFixture::buildWall(program, 2, 2);
        program.mainWindow().action("mnuSequenzer")->trigger();
        return program.mainWindow().findChild<QWidget*>("frmControl");
    }

private slots:
    void clearAllLeavesTheCaptionEmpty()
    {
        fixture_.reset();
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 2, 2);
        program->mainWindow().action("mnuSequenzer")->trigger();
        QWidget* window = program->mainWindow().findChild<QWidget*>("frmControl");
        QVERIFY(window);
        auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        QVERIFY(frame);
        QCOMPARE(frame->windowTitle(), QStringLiteral("SEQUENZER"));

        QTest::mouseClick(window->findChild<QPushButton*>("cmdSequence_1"), Qt::LeftButton);  // REC
        QCOMPARE(program->model().StepCount, 1);
        program->model().DocumentFlags = 0;                                                   // nothing to ask about
        QTest::mouseClick(window->findChild<QPushButton*>("cmdSequence_5"), Qt::LeftButton);  // CLR ALL
        QCOMPARE(program->model().StepCount, 0);
        QCOMPARE(frame->windowTitle(), QString());
        QCOMPARE(window->windowTitle(), QString());

        // Opened again, the window keeps the empty caption.
        frame->close();
        QTRY_VERIFY(!program->mainWindow().findChild<QWidget*>("frmControl"));
        program->mainWindow().action("mnuSequenzer")->trigger();
        window = program->mainWindow().findChild<QWidget*>("frmControl");
        QVERIFY(window);
        QCOMPARE(window->parentWidget()->windowTitle(), QString());
    }

    void beatRowSetsTheEngineAndIsReadByName()
    {
        fixture_.reset();
        fixture_.settings.values["TINCTARA/Music/BeatsPerStep"] = "4";
        fixture_.settings.values["TINCTARA/Music/BlendPercent"] = "300";  // bad: the default
        fixture_.clock = &clock_;
        auto program = fixture_.start();
        QVERIFY(program);
        QWidget* window = openSequencer(*program);
        QVERIFY(window);
        auto* beat = testing::child<QCheckBox>(window, "chkBeat");
        auto* every = testing::child<QComboBox>(window, "cboBeats");
        auto* blend = testing::child<QSpinBox>(window, "spnBlende");
        auto* tap = testing::child<QPushButton>(window, "cmdTap");
        auto* tempo = testing::child<QLabel>(window, "lblTempo");
        auto* light = testing::child<QWidget>(window, "shpBeat");
        QVERIFY(beat && every && blend && tap && tempo && light);

        // Below everything that was there before.
        const int lowest = window->findChild<QLabel*>("lblStatus")->geometry().bottom();
        for (QWidget* control :
             {static_cast<QWidget*>(beat), static_cast<QWidget*>(every), static_cast<QWidget*>(blend),
              static_cast<QWidget*>(tap), static_cast<QWidget*>(tempo), light})
            QVERIFY2(control->geometry().top() > lowest, qPrintable(control->objectName()));

        QCOMPARE(beat->text(), QStringLiteral("Beat"));
        QVERIFY(!beat->isChecked());
        QCOMPARE(every->count(), 3);
        QCOMPARE(every->itemText(1), QStringLiteral("2 Beats"));
        QCOMPARE(every->currentIndex(), 2);
        QCOMPARE(blend->value(), 50);
        QCOMPARE(tempo->text(), QStringLiteral("Tempo: –"));
        // On Linux a combo box is read by its current text and the label beside it.
        QCOMPARE(every->accessibleName(), QStringLiteral("alle"));
        QCOMPARE(window->findChild<QLabel*>("lblBeats")->buddy(), every);
        QCOMPARE(readName(blend), QStringLiteral("Blende (% vom Beat)"));
        QCOMPARE(readName(light), QStringLiteral("Beatlicht"));
        QCOMPARE(readName(tap), QStringLiteral("Tap"));
        QCOMPARE(readName(tempo), QStringLiteral("Tempo: –"));

        MusicSync& music = program->engine().music();
        QTest::mouseClick(beat, Qt::LeftButton);
        QVERIFY(music.beatOn());
        every->setFocus();
        QTest::keyClick(every, Qt::Key_Up);
        QCOMPARE(music.settings().beatsPerStep, 2);
        QCOMPARE(fixture_.settings.values["TINCTARA/Music/BeatsPerStep"], std::string("2"));
        blend->setFocus();
        blend->selectAll();
        QTest::keyClicks(blend, "30");
        QCOMPARE(music.settings().blendPercent, 30);
        QCOMPARE(fixture_.settings.values["TINCTARA/Music/BlendPercent"], std::string("30"));
        QVERIFY(!fixture_.settings.values.count("TINCTARA/Music/Beat"));

        // The button taps, and so does T where no field takes it.
        QTest::mouseClick(tap, Qt::LeftButton);
        clock_.ms += 400;
        QTest::keyClick(tap, Qt::Key_T);
        program->sequencer().afterTick();
        QCOMPARE(tempo->text(), QStringLiteral("Tempo: 150 BPM"));
        clock_.ms += 2500;
        auto* field = window->findChild<QLineEdit*>("txtSequence_1");
        field->setFocus();
        QTest::keyClick(field, Qt::Key_T);
        clock_.ms += 500;
        QTest::keyClick(window, Qt::Key_T);
        program->sequencer().afterTick();
        QCOMPARE(tempo->text(), QStringLiteral("Tempo: 150 BPM"));  // one tap of a new run so far
        // A longer tempo text squeezes nothing in the row.
        tempo->setText(QStringLiteral("Tempo: 127,5 BPM"));
        QCoreApplication::processEvents();
        for (auto* label : {tempo, window->findChild<QLabel*>("lblBlende")})
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));

        // Closed and opened again the row shows what is set; Beat is off at
        // the next start.
        window->parentWidget()->close();
        QTRY_VERIFY(!program->mainWindow().findChild<QWidget*>("frmControl"));
        program->mainWindow().action("mnuSequenzer")->trigger();
        window = program->mainWindow().findChild<QWidget*>("frmControl");
        QVERIFY(window);
        QVERIFY(window->findChild<QCheckBox*>("chkBeat")->isChecked());
        QCOMPARE(window->findChild<QLabel*>("lblTempo")->text(),
                 QStringLiteral("Tempo: 150 BPM"));  // as the engine has it
        program.reset();
        program = fixture_.start();
        QVERIFY(program);
        QVERIFY(!program->engine().music().beatOn());
        QCOMPARE(program->engine().music().settings().beatsPerStep, 2);
        QCOMPARE(program->engine().music().settings().blendPercent, 30);
        fixture_.clock = nullptr;
    }

    void theRunningTimecodeStandsBesideTheStatusLineWhileASourceIsChosen()
    {
        fixture_.reset();
        auto program = fixture_.start();
        QVERIFY(program);
        QWidget* window = openSequencer(*program);
        QVERIFY(window);
        auto* timecode = testing::child<QLabel>(window, "lblTimecode");
        auto* status = testing::child<QLabel>(window, "lblStatus");
        QCoreApplication::processEvents();
        const int statusWidth = status->width();
        program->sequencer().afterTick();
        QVERIFY(!timecode->isVisible());  // no source: the window as it always was

        // The program's own control is what the window watches.
        TimecodeSettings settings = program->timecode().settings();
        settings.source = TimecodeSource::ArtNet;
        program->timecode().apply(settings);
        program->sequencer().afterTick();
        QVERIFY(timecode->isVisible());
        QCOMPARE(timecode->text(), QStringLiteral("Timecode: --:--:--:--"));

        testing::FakeTimecodeControl heard;
        heard.current.source = TimecodeSource::Ltc;
        heard.now.time = Timecode{1, 0, 12, 5};
        program->sequencer().watchTimecode(&heard);
        program->sequencer().afterTick();
        QCOMPARE(timecode->text(), QStringLiteral("Timecode: 01:00:12:05"));
        QCOMPARE(readName(timecode), QStringLiteral("Timecode: 01:00:12:05"));
        QCoreApplication::processEvents();
        QVERIFY(timecode->geometry().top() < status->geometry().bottom());  // on the status line's row
        QVERIFY(timecode->width() >= timecode->sizeHint().width());

        heard.current.source = TimecodeSource::None;
        program->sequencer().afterTick();
        QVERIFY(!timecode->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(status->width(), statusWidth);
        program->sequencer().watchTimecode(&program->timecode());
    }
};

QTEST_MAIN(SequencerWindowTest)
#include "SequencerWindowTest.moc"
