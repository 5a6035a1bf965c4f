// The sequencer window's caption through a recording and CLR ALL.
#include "MainWindow.h"
#include "Program.h"
#include "ProgramFixture.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace tinctara;

class SequencerWindowTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

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
};

QTEST_MAIN(SequencerWindowTest)
#include "SequencerWindowTest.moc"
