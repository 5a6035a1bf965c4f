// The new-wall dialog's layout: what the status line says never takes room
// from the fields.
#include "MainWindow.h"
#include "NewWallDialog.h"
#include "Program.h"
#include "ProgramFixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace tinctara;

class NewWallDialogTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

private slots:
    void init() { fixture_.reset(); }

    // The dialog made by the program records the wall it builds into the program's history.
    void aNewWallIsUndoneFromTheProgramsHistory()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 4, 3);
        program->model().DocumentFlags = 0;  // nothing unsaved to ask about
        program->mainWindow().action("mnuNeueWand")->trigger();
        auto* dialog = program->mainWindow().findChild<NewWallDialog*>("frmNeueWand");
        QVERIFY(dialog);
        testing::ProgramFixture::typeInto(dialog->findChild<QLineEdit*>("txtfeld_1"), QStringLiteral("2"));
        testing::ProgramFixture::typeInto(dialog->findChild<QLineEdit*>("txtfeld_2"), QStringLiteral("5"));
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QCOMPARE(program->model().ElementCount, 10);
        QCOMPARE(program->edits().history().undoCaption(), std::string("Rückgängig: Neue Wand"));
        QVERIFY(program->edits().undo());
        QCOMPARE(program->model().ElementCount, 12);
    }

    void longMessagesLeaveTheFieldsTheirSize()
    {
        auto program = fixture_.start();
        QVERIFY(program);
        program->mainWindow().action("mnuNeueWand")->trigger();
        auto* dialog = program->mainWindow().findChild<NewWallDialog*>("frmNeueWand");
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        auto field = [dialog](int index) {
            return dialog->findChild<QLineEdit*>(QStringLiteral("txtfeld_%1").arg(index));
        };
        auto* status = dialog->findChild<QLabel*>("lblStatus");
        QList<int> heights;
        for (int index = 0; index <= 6; ++index)
            heights.append(field(index)->height());

        struct Step {
            const char* what;
            const char* columns;
            const char* rows;
        };
        // The 121 message runs over three lines, the 0 message over two.
        const Step steps[] = {{"121 message", "11", "12"}, {"0 message", "0", "7"}, {"121 message again", "12", "11"}};
        for (const Step& step : steps) {
            testing::ProgramFixture::typeInto(field(1), QString::fromLatin1(step.columns));
            testing::ProgramFixture::typeInto(field(2), QString::fromLatin1(step.rows));
            QTest::mouseClick(dialog->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
            QVERIFY2(status->text().startsWith(QStringLiteral("Diese Version")) ||
                         status->text().startsWith(QStringLiteral("Eine Wand")),
                     step.what);
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            for (int index = 0; index <= 6; ++index) {
                QLineEdit* edit = field(index);
                const QByteArray what = QByteArray(step.what) + ", field " + QByteArray::number(index);
                QVERIFY2(edit->height() >= edit->minimumSizeHint().height(), what.constData());
                QVERIFY2(edit->height() == heights[index], what.constData());
                QVERIFY2(dialog->rect().contains(edit->geometry()), what.constData());
            }
            // The whole message can be read.
            QVERIFY2(status->height() >= status->heightForWidth(status->width()), step.what);
            QVERIFY2(dialog->rect().contains(status->geometry()), step.what);
        }
    }
};

QTEST_MAIN(NewWallDialogTest)
#include "NewWallDialogTest.moc"
