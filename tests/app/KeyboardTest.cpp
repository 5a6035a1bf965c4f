// Keys an operator uses while a value field has the focus: menu shortcuts
// reach the menu, and neither they nor Tab go through a field's key filter.
#include "ColourWindow.h"
#include "MainWindow.h"
#include "Program.h"
#include "WallWindow.h"
#include "ProgramFixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <memory>

using namespace tinctara;

class KeyboardTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

    static int selectedCount(const ShowModel& model)
    {
        int count = 0;
        for (int element = 0; element < model.ElementCount; ++element)
            count += model.SelectionFlags[static_cast<std::size_t>(element)] == 1;
        return count;
    }

private slots:
    void init() { fixture_.reset(); }

    // Types a value, selects all with Ctrl+A, then leaves the field: the
    // value is kept and painted onto the whole wall.
    void ctrlAInAValueFieldSelectsTheWall()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 3);
        ShowModel& model = program->model();
        program->mainWindow().action("mnuColorFenster")->trigger();
        auto* window = program->mainWindow().findChild<ColourWindow*>("frmColor");
        QVERIFY(window);
        auto* red = window->findChild<QLineEdit*>("txtFarbe_0");
        auto* status = window->findChild<QLabel*>("lblStatus");

        testing::ProgramFixture::typeInto(red, "120");
        QTest::keyClick(red, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectedCount(model), 9);
        QCOMPARE(red->text(), QStringLiteral("120"));
        QVERIFY(status->text() != QStringLiteral(" Es sind nur Zahlen erlaubt!"));
        QTest::keyClick(red, Qt::Key_Tab);
        for (int element = 1; element <= 9; ++element)
            QCOMPARE(int(model.colour(Red, element)), 120);

        // The Ctrl key alone is not a refused key either.
        testing::ProgramFixture::typeInto(red, "7");
        QTest::keyClick(red, Qt::Key_Control);
        QCOMPARE(red->text(), QStringLiteral("7"));
    }

    void ctrlShortcutsLeaveEveryValueFieldAlone_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::newRow("sequencer blend") << "mnuSequenzer"
                                         << "frmControl"
                                         << "txtSequence_1"
                                         << "80";
        QTest::newRow("DMX test channel") << "mnuDMXTestfenster"
                                          << "frmDMX"
                                          << "txtPatch_0"
                                          << "40";
    }

    void ctrlShortcutsLeaveEveryValueFieldAlone()
    {
        QFETCH(QString, entry);
        QFETCH(QString, window);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 3, 3);
        program->mainWindow().action(entry)->trigger();
        QWidget* child = program->mainWindow().findChild<QWidget*>(window);
        QVERIFY(child);
        auto* edit = child->findChild<QLineEdit*>(field);
        QVERIFY(edit);
        testing::ProgramFixture::typeInto(edit, typed);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectedCount(program->model()), 9);
        QCOMPARE(edit->text(), typed);
        QCOMPARE(edit->selectedText(), QString());  // the field did not select its own text
    }

    // Tab leaves a DMX channel field through its check on leaving; only typed
    // characters are judged as they are typed.
    void tabLeavesTheDmxChannelFieldThroughItsCheck_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("status");
        QTest::newRow("a channel") << "12"
                                   << "12"
                                   << "";
        QTest::newRow("the last channel") << "512"
                                          << "512"
                                          << "";
        QTest::newRow("0") << "0"
                           << "3"
                           << "Unzulässiger Wert! DMX-Kanal 1 - 512 angeben.";
        QTest::newRow("600") << "600"
                             << "3"
                             << "Unzulässiger Wert! DMX-Kanal 1 - 512 angeben.";
        QTest::newRow("a letter") << "x"
                                  << "3"
                                  << "Unzulässiger Wert! DMX-Kanal 1 - 512 angeben.";
    }

    void tabLeavesTheDmxChannelFieldThroughItsCheck()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QString, status);
        auto program = fixture_.start();
        QVERIFY(program);
        program->mainWindow().action("mnuDMXTestfenster")->trigger();
        QWidget* window = program->mainWindow().findChild<QWidget*>("frmDMX");
        QVERIFY(window);
        auto* channel = window->findChild<QLineEdit*>("txtPatch_2");
        auto* statusLine = window->findChild<QLabel*>("lblStatus");
        const QString before = statusLine->text();
        testing::ProgramFixture::typeInto(channel, typed);
        QTest::keyClick(channel, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != channel);
        QCOMPARE(channel->text(), kept);
        QCOMPARE(statusLine->text(), status.isEmpty() ? before : status);
    }
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
