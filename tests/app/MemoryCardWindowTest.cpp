#include "MainWindow.h"
#include "MemoryCardWindow.h"
#include "Program.h"
#include "ProgramFixture.h"
#include "tinctara_portio.h"

#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>

using namespace tinctara;

class MemoryCardWindowTest : public QObject {
    Q_OBJECT

private:
    // A started program whose virtual bus has a 32 KB memory card and a
    // 7301B at 0x120, with a 2 x 1 wall and a sequence of three steps.
    std::unique_ptr<Program> startProgram()
    {
        std::ofstream(fixture_.filePath("hardware.ini")) << "[isa]\ncard = 7301B 0x120\n[memorycard]\nsize = 32K\n";
        auto program = fixture_.start();
        if (!program)
            return nullptr;
        testing::ProgramFixture::buildWall(*program, 2, 1);
        ShowModel& model = program->model();
        for (int step = 1; step <= 3; ++step)
            model.stepColour(step, 1, Red) = static_cast<std::uint8_t>(10 * step);
        model.StepCount = 3;
        model.SequenceFileName = fixture_.filePath("sequence/WELLE.CSQ");
        return program;
    }

    static QPushButton* button(QWidget* window, const char* name) { return window->findChild<QPushButton*>(name); }

    testing::ProgramFixture fixture_;

private slots:
    void init() { fixture_.reset(); }

    void ctrlMOpensTheWindowWhichWritesAndReadsTheCard()
    {
        auto program = startProgram();
        QVERIFY(program);
        QTest::keySequence(&program->mainWindow(), QKeySequence(Qt::CTRL | Qt::Key_M));
        auto* window = program->mainWindow().findChild<MemoryCardWindow*>("frmFiles");
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Memorycard"));
        QCOMPARE(window->findChild<QLabel*>("lblSequence")->text(), QStringLiteral("WELLE.CSQ"));

        QTest::mouseClick(button(window, "cmdFiles_0"), Qt::LeftButton);
        QCOMPARE(window->findChild<QLabel*>("lblStatus")->text(),
                 QStringLiteral("Fertig mit Schreiben. Bis Adresse  30720 geschrieben."));
        auto* bar = window->findChild<QProgressBar*>("prgWrite");
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->value(), 1000);
        QVERIFY(button(window, "cmdFiles_0")->isEnabled());
        unsigned char slot3[512];
        QCOMPARE(VirtualMemoryCardMemory(2 * 512, slot3, 512), 512);
        QCOMPARE(int(slot3[0]), 30);
        QCOMPARE(int(slot3[511]), 128);

        QTest::mouseClick(button(window, "cmdFiles_1"), Qt::LeftButton);
        QVERIFY(window->findChild<QPlainTextEdit*>("txtDisplay")
                    ->toPlainText()
                    .contains(QStringLiteral("Adr 0-9      :  10 |   0 |")));

        QTest::mouseClick(button(window, "cmdFiles_2"), Qt::LeftButton);
        QTRY_VERIFY(!program->mainWindow().findChild<MemoryCardWindow*>("frmFiles"));
    }

    // Closing the window during a write stops it; the window stays until the
    // write has ended, instead of going from under it.
    void closingDuringAWriteStopsIt()
    {
        auto program = startProgram();
        QVERIFY(program);
        program->mainWindow().openWindow(WindowKind::MemoryCard);
        auto* window = program->mainWindow().findChild<MemoryCardWindow*>("frmFiles");
        QVERIFY(window);
        auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        QVERIFY(frame);
        QTimer::singleShot(0, frame, [frame] { frame->close(); });
        QTest::mouseClick(button(window, "cmdFiles_0"), Qt::LeftButton);
        QVERIFY(window->findChild<QLabel*>("lblStatus")->text().startsWith(QStringLiteral("Abbruch beim Schreiben.")));
        QVERIFY(program->mainWindow().findChild<MemoryCardWindow*>("frmFiles"));
        frame->close();
        QTRY_VERIFY(!program->mainWindow().findChild<MemoryCardWindow*>("frmFiles"));
    }

    void theMergerMenuSendsWithAProgressWindow()
    {
        auto program = startProgram();
        QVERIFY(program);
        ShowModel& model = program->model();
        model.InterfaceType = Interface::IsaCard7301AB;
        model.CardBaseAddress = 0x120;
        program->mainWindow().action(QStringLiteral("mnuSequenceToMerger"))->trigger();
        QVERIFY(program->sendToMergerTimer().isEnabled());
        auto* progress = program->mainWindow().findChild<QWidget*>("frmSendToMerger");
        QVERIFY(progress && progress->isVisible());
        program->sendToMergerTimer().setEnabled(false);  // the ticks come from here
        for (int k = 1; k <= PlayUnitTransfer::Ticks; ++k) {
            program->playUnit().timSendToMerger_Timer();
            if (k == 100)
                QCOMPARE(progress->findChild<QProgressBar*>("prgTransfer")->value(), 100);
        }
        QVERIFY(!progress->isVisible());
        QVERIFY(!program->playUnit().transferring());
        QVERIFY(program->outputTimer().isEnabled());
    }
};

QTEST_MAIN(MemoryCardWindowTest)
#include "MemoryCardWindowTest.moc"
