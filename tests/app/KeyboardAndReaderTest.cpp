// Every window without a mouse (tab order, every button reachable) and as a
// screen reader reads it (names follow the texts shown), and Qt's own texts
// in German.
#include "Accessibility.h"
#include "ColourWindow.h"
#include "GermanTranslations.h"
#include "InterfaceDialog.h"
#include "MainWindow.h"
#include "Program.h"
#include "ProgramFixture.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <memory>

using namespace tinctara;

namespace {

QString readName(QObject* object)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

// The control names Tab visits from `first` until it comes back to it.
QStringList tabChain(QWidget* first)
{
    first->setFocus(Qt::TabFocusReason);
    first = QApplication::focusWidget();  // a tab widget hands the focus to its bar
    QStringList chain;
    for (int step = 0; step < 80; ++step) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused)
            break;
        if (step > 0 && focused == first)
            return chain;
        chain << focused->objectName();
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    chain << QStringLiteral("<no way back>");
    return chain;
}

QStringList numbered(const QString& pattern, int from, int to)
{
    QStringList names;
    for (int index = from; index <= to; ++index)
        names << pattern.arg(index);
    return names;
}

}  // namespace

class KeyboardAndReaderTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

    std::unique_ptr<Program> startWithWall()
    {
        fixture_.reset();
        auto program = fixture_.start(StateFlag::AutoLoad);
        if (program)
            testing::ProgramFixture::buildWall(*program, 3, 2);
        return program;
    }

    static QWidget* open(Program& program, const char* action, const char* window)
    {
        program.mainWindow().action(QString::fromLatin1(action))->trigger();
        QCoreApplication::processEvents();
        return program.mainWindow().findChild<QWidget*>(QString::fromLatin1(window));
    }

private slots:
    void tabVisitsEveryControlOfEachWindowInReadingOrder_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QStringList>("filled");  // fields that must hold a value to be left

        QTest::newRow("colour") << "mnuColorFenster"
                                << "frmColor"
                                << numbered("txtFarbe_%1", 0, 3) + QStringList{"cmdColor_1"} +
                                       numbered("ScrFarbe_%1", 0, 3) +
                                       QStringList{"cmdColor_0", "cmdColor_3", "chkCHange",
                                                   "chkMindest", "txtFarbNr",  "txtFarbName"} +
                                       numbered("txtUserColor_%1", 0, 19)
                                << QStringList{};
        QTest::newRow("patch") << "mnuPatchfenster"
                               << "frmElement"
                               << QStringList{"txtElement_0", "txtElement_1",       "txtElement_2", "txtElement_3",
                                              "txtElement_4", "txtElement_5",       "txtElement_6", "txtElement_7",
                                              "txtElement_8", "cmdColorCorrektion", "cmdOK"}
                               << QStringList{"txtElement_0"};
        QTest::newRow("sequencer") << "mnuSequenzer"
                                   << "frmControl"
                                   << numbered("txtSequence_%1", 0, 2) + numbered("cmdSequence_%1", 0, 5) +
                                          QStringList{"cmdRecordInput", "cmdSequence_6", "chkBeat",
                                                      "cboBeats",       "spnBlende",     "cmdTap"}
                                   << QStringList{};
        QStringList dmx;
        for (int row = 0; row < 8; ++row)
            dmx << QStringLiteral("txtPatch_%1").arg(row) << QStringLiteral("ScrDMX_%1").arg(row)
                << QStringLiteral("txtDMX_%1").arg(row);  // the level sent, read-only but readable
        QTest::newRow("DMX test") << "mnuDMXTestfenster"
                                  << "frmDMX" << dmx + QStringList{"cmdDMX_0"} << numbered("txtPatch_%1", 0, 7);
        QTest::newRow("options") << "mnuOptionen"
                                 << "frmOptions" << QStringList{"qt_tabwidget_tabbar",
                                                                "OptDMXSend_0",
                                                                "cckAutoDMXmax",
                                                                "cmdDefaultDMX",
                                                                "cmdOK",
                                                                "cmdApply",
                                                                "cmdCancel"}
                                 << QStringList{};
        QTest::newRow("new wall") << "mnuNeueWand"
                                  << "frmNeueWand"
                                  << numbered("txtfeld_%1", 0, 6) + QStringList{"cmdOK", "cmdAbbrechen"}
                                  << QStringList{};
        QTest::newRow("memory card") << "mnuSpeichernMemoryCard"
                                     << "frmFiles"
                                     << QStringList{"txtDisplay"} + numbered("cmdFiles_%1", 0, 3) +
                                            QStringList{"cmdStop"}
                                     << QStringList{};
        QTest::newRow("info") << "mnuInfo"
                              << "frmInfo" << QStringList{"cmdInfo"} << QStringList{};
    }

    void tabVisitsEveryControlOfEachWindowInReadingOrder()
    {
        QFETCH(QString, action);
        QFETCH(QString, window);
        QFETCH(QStringList, order);
        QFETCH(QStringList, filled);
        auto program = startWithWall();
        QVERIFY(program);
        QWidget* root = open(*program, action.toLatin1().constData(), window.toLatin1().constData());
        QVERIFY2(root, qPrintable(window));
        for (const QString& name : filled) {
            auto* field = root->findChild<QLineEdit*>(name);
            QVERIFY(field);
            field->setText(QStringLiteral("1"));
            QTest::keyClick(field, Qt::Key_1);  // as typed: the window's copy of the text follows
            QTest::keyClick(field, Qt::Key_Backspace);
        }
        auto* first = root->findChild<QWidget*>(order.first());
        QVERIFY(first);
        QCOMPARE(tabChain(first).join(QLatin1Char(' ')), order.join(QLatin1Char(' ')));

        // Every button of the window is on the way.
        for (QAbstractButton* button : root->findChildren<QAbstractButton*>())
            if (button->isVisibleTo(root) && button->isEnabled() && !button->objectName().startsWith("OptDMXSend"))
                QVERIFY2(order.contains(button->objectName()), qPrintable(button->objectName()));
    }

    void interfaceDialogByKeyboard()
    {
        auto program = startWithWall();
        QVERIFY(program);
        Program& p = *program;
        InterfaceDialog dialog({p.model(), p.view(), p.outputTimer(), p.interfaces(), p.settings(), p.mainWindow()},
                               &p.mainWindow());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QApplication::setActiveWindow(&dialog);
        QCOMPARE(tabChain(dialog.findChild<QWidget*>("tabs_ifselect")).join(' '),
                 QStringLiteral("tabs_ifselect cmdOK cmdCancel"));
    }

    void whatIsShownIsWhatIsRead()
    {
        auto program = startWithWall();
        QVERIFY(program);
        MainWindow& main = program->mainWindow();
        for (const char* action : {"mnuColorFenster", "mnuPatchfenster", "mnuSequenzer", "mnuDMXTestfenster",
                                   "mnuOptionen", "mnuNeueWand", "mnuDMXEingang"})
            main.action(QString::fromLatin1(action))->trigger();
        QCoreApplication::processEvents();

        // No widget that shows text of its own hides it behind a fixed name,
        // and every control without text has a name to be read by.
        for (QWidget* widget : main.findChildren<QWidget*>()) {
            const QString control = widget->objectName();
            if (!control.contains(QRegularExpression(R"(^(txt|lbl|cmd|chk|cck|Opt|fra)|^Scr\w+_\d)")))
                continue;
            auto* label = qobject_cast<QLabel*>(widget);
            const bool showsText = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QGroupBox*>(widget) ||
                                   (label && (!label->text().isEmpty() || control == "lblStatus"));
            if (showsText && !control.startsWith("txtUserColor"))
                QVERIFY2(widget->accessibleName().isEmpty(), qPrintable(control));
            if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSlider*>(widget))
                QVERIFY2(!readName(widget).isEmpty(), qPrintable(control));
            QCOMPARE(widget->accessibleDescription(), control);  // TINCTARA_AUTOMATION=1
        }

        // Status lines, button captions and titles are read as they change.
        auto* colour = main.findChild<ColourWindow*>("frmColor");
        colour->setStatus("Es sind nur Werte zwischen 0 und 255 möglich!");
        QCOMPARE(readName(colour->findChild<QLabel*>("lblStatus")),
                 QStringLiteral("Es sind nur Werte zwischen 0 und 255 möglich!"));

        QWidget* dmx = main.findChild<QWidget*>("frmDMX");
        auto* testMode = dmx->findChild<QPushButton*>("cmdDMX_0");
        QCOMPARE(readName(testMode), QStringLiteral("Testmode starten"));
        testMode->click();
        QCOMPARE(readName(testMode), QStringLiteral("Testmode beenden"));
        testMode->click();

        program->view().setTitle("Hallo Titelzeile");
        QCOMPARE(readName(&main), main.windowTitle());
        QVERIFY(main.windowTitle().contains("Hallo Titelzeile"));

        // Fields without a caption of their own are read by the caption beside
        // them or by their column; faders by their colour and column.
        const struct {
            const char* window;
            const char* control;
            QString name;
        } reads[] = {
            {"frmColor", "txtFarbName", QStringLiteral("Name der Farbe")},
            {"frmColor", "ScrFarbe_1", QStringLiteral("Grün")},
            {"frmDMX", "txtPatch_2", QStringLiteral("DMX Kanal 3")},
            {"frmDMX", "ScrDMX_2", QStringLiteral("DMX Kanal 3")},
            {"frmControl", "txtSequence_0",
             readName(main.findChild<QWidget*>("frmControl")->findChild<QLabel*>("lblSequence_1"))},
            {"frmNeueWand", "txtfeld_0",
             readName(main.findChild<QWidget*>("frmNeueWand")->findChild<QLabel*>("lblfeld_0"))},
            {"frmOptions", "txtDMX_0",
             readName(main.findChild<QWidget*>("frmOptions")->findChild<QLabel*>("lblDMX_0"))},
        };
        for (const auto& read : reads) {
            QWidget* control = main.findChild<QWidget*>(read.window)->findChild<QWidget*>(read.control);
            QVERIFY2(control, read.control);
            QVERIFY2(!read.name.isEmpty(), read.control);
            QCOMPARE(readName(control), read.name);
        }
    }

    void qtTextsAreGerman()
    {
        QVERIFY(!loadGermanQtTranslations(QStringLiteral("/nonexistent")));
        QMessageBox english(QMessageBox::Question, "t", "f", QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(english.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));

        if (!loadGermanQtTranslations())
            QSKIP("Qt's German translations are not installed (qt6-translations-l10n)");
        QMessageBox box(QMessageBox::Question, "t", "f", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(withoutAccessKey(box.button(QMessageBox::Yes)->text()), QStringLiteral("Ja"));
        QCOMPARE(withoutAccessKey(box.button(QMessageBox::No)->text()), QStringLiteral("Nein"));
        QCOMPARE(withoutAccessKey(box.button(QMessageBox::Cancel)->text()), QStringLiteral("Abbrechen"));
    }
};

QTEST_MAIN(KeyboardAndReaderTest)
#include "KeyboardAndReaderTest.moc"
